// padcalc's page. Everything it knows of networks (their ids, titles,
// entries, resistors and drawings) comes from the library at run time
// through padcalc_call, a JSON request in and a JSON reply out; the page
// only lays out what the library says.
'use strict';

(() => {
  performance.mark('padcalc-start'); // the benchmark times the page's own start from here
  const $ = (id) => document.getElementById(id);
  const SVG = 'http://www.w3.org/2000/svg';

  // What the user has entered, kept across changes of network and mode.
  const state = {
    mode: 'design',
    network: 'tee',
    values: { z1: '50', z2: '75', loss: '10' },
    resistors: {},
    name: '',
  };
  // The options by the command line's names, from the library's table once
  // it has started: those a design and a check both take (bar the flags),
  // the flags, those typed as text, and the series' own.
  let sharedOptions = [];
  let flagOptions = [];
  let textOptions = ['name'];
  let seriesOptions = [];
  let selectOptions = [];

  let call = null; // padcalc_call, as a function of one string
  let table = null; // the library's networks
  let lastDesign = null; // the last design's report, to start a check from
  let shown = false; // whether a design has been shown since the page opened
  let writtenAddress = '';

  // --- The library ---------------------------------------------------------

  function ask(request) {
    try {
      return JSON.parse(call(JSON.stringify(request)));
    } catch (e) {
      return { ok: false, field: '', error: 'the calculator failed: ' + e.message };
    }
  }

  function network() {
    return table.networks.find((n) => n.id === state.network) || table.networks[0];
  }

  // The entries the current network and mode take: a check always takes the
  // impedances of its source and load, and each resistor.
  function entries() {
    const n = network();
    if (state.mode === 'design') return n.entries;
    return [
      { key: 'z1', name: 'Z1', unit: 'Ω', about: 'the source impedance' },
      { key: 'z2', name: 'Z2', unit: 'Ω', about: 'the load impedance' },
      ...n.resistors.map((r) => ({ key: r.key, name: r.name, unit: 'Ω', about: r.role, resistor: true })),
    ];
  }

  function entryValue(entry) {
    const kept = entry.resistor ? state.resistors[entry.key] : state.values[entry.key];
    return kept === undefined ? '' : kept;
  }

  // The request for what the page shows. Each option sent is an option
  // given on the command line, so only those that apply are sent: the
  // series' own options with a series, as the address keeps them.
  function request() {
    const n = network();
    const q = { op: state.mode, network: n.id };
    for (const key of sharedOptions) q[key] = state[key];
    if (state.mode === 'design') {
      for (const entry of n.entries) q[entry.key] = entryValue(entry);
      if (state.series) {
        q.series = state.series;
        for (const key of seriesOptions) q[key] = state[key];
      }
    } else {
      q.z1 = state.values.z1 || '';
      q.z2 = state.values.z2 || '';
      q.resistors = n.resistors.map((r) => state.resistors[r.key] || '');
    }
    return q;
  }

  // --- Building elements -----------------------------------------------------

  function el(tag, attributes, ...children) {
    const node = document.createElement(tag);
    for (const [key, value] of Object.entries(attributes || {})) {
      if (key === 'class') node.className = value;
      else node.setAttribute(key, value);
    }
    for (const child of children) {
      if (child === null || child === undefined || child === false) continue;
      node.append(child instanceof Node ? child : String(child));
    }
    return node;
  }

  function svg(tag, attributes, text) {
    const node = document.createElementNS(SVG, tag);
    for (const [key, value] of Object.entries(attributes)) node.setAttribute(key, value);
    if (text !== undefined) node.textContent = text;
    return node;
  }

  function tableOf(headings, rows, numeric) {
    const head = el('tr', null, ...headings.map((h, i) => el('th', { scope: 'col', class: numeric[i] ? 'number' : '' }, h)));
    const body = rows.map((row) =>
      el('tr', row.over ? { class: 'over' } : null,
        ...row.cells.map((cell, i) => el(i === 0 ? 'th' : 'td',
          i === 0 ? { scope: 'row' } : { class: [numeric[i] ? 'number' : '', row.classes?.[i] || ''].join(' ').trim() }, cell))));
    return el('div', { class: 'table-wrap' }, el('table', null, el('thead', null, head), el('tbody', null, ...body)));
  }

  // --- The drawing -------------------------------------------------------------

  // An SVG drawing from the library's ASCII drawing: '-' and '|' are wires,
  // '+' a joint, 'o' a port, [Rn] a resistor (in a horizontal wire, or
  // standing between '|' above and below), and words are the ports' names.
  function drawing(ascii, title, resistors, values) {
    const rows = ascii.replace(/\n+$/, '').split('\n');
    const width = Math.max(...rows.map((r) => r.length));
    const cw = 12;
    const rh = 26;
    const at = (r, c) => (rows[r] && rows[r][c]) || ' ';
    const cx = (c) => c * cw + cw / 2;
    const cy = (r) => r * rh + rh / 2;

    const boxes = [];
    const covered = new Map(); // "r,c" of each character of a resistor, to its box
    rows.forEach((line, r) => {
      for (const m of line.matchAll(/\[([^\]\s]+)\]/g)) {
        const box = { name: m[1], row: r, start: m.index, end: m.index + m[0].length - 1 };
        box.horizontal = '-+'.includes(at(r, box.start - 1)) || '-+'.includes(at(r, box.end + 1));
        if (!box.horizontal) {
          box.column = box.start + 1;
          for (let c = box.start; c <= box.end; c++)
            if ('|+'.includes(at(r - 1, c)) || '|+'.includes(at(r + 1, c))) box.column = c;
        }
        boxes.push(box);
        for (let c = box.start; c <= box.end; c++) covered.set(r + ',' + c, box);
      }
    });
    const boxAt = (r, c) => covered.get(r + ',' + c);
    const letter = (r, c) => /[A-Za-z]/.test(at(r, c));
    // A port is an 'o' standing alone, not a letter of a port's name.
    const isPort = (r, c) => at(r, c) === 'o' && !letter(r, c - 1) && !letter(r, c + 1);
    const joinsAcross = (r, c) => {
      const box = boxAt(r, c);
      return box ? box.horizontal : '-+'.includes(at(r, c)) || isPort(r, c);
    };
    const joinsDown = (r, c) => {
      const box = boxAt(r, c);
      return box ? !box.horizontal && box.column === c : '|+'.includes(at(r, c));
    };

    const picture = svg('svg', {
      class: 'network',
      viewBox: `-14 -14 ${width * cw + 28} ${rows.length * rh + 28}`,
      role: 'img',
      'aria-label': `Drawing of the ${title}: ` + resistors.map((r) => `${r.name}, ${r.role}`).join('; '),
    });
    const wires = [];
    const line = (x1, y1, x2, y2) => wires.push(`M${x1} ${y1}L${x2} ${y2}`);
    const ports = [];
    const joints = [];
    rows.forEach((text, r) => {
      for (let c = 0; c < text.length; c++) {
        if (boxAt(r, c)) continue;
        const ch = text[c];
        const x = cx(c);
        const y = cy(r);
        if (ch === '-') line(c * cw, y, (c + 1) * cw, y);
        else if (ch === '|') line(x, r * rh, x, (r + 1) * rh);
        else if (ch === '+' || isPort(r, c)) {
          const sides = [
            [joinsAcross(r, c - 1), c * cw, y],
            [joinsAcross(r, c + 1), (c + 1) * cw, y],
            [ch === '+' && joinsDown(r - 1, c), x, r * rh],
            [ch === '+' && joinsDown(r + 1, c), x, (r + 1) * rh],
          ].filter((side) => side[0]);
          for (const [, x2, y2] of sides) line(x, y, x2, y2);
          if (ch === 'o') ports.push([x, y]);
          else if (sides.length >= 3) joints.push([x, y]);
        }
      }
      for (const m of text.matchAll(/[A-Za-z]+/g)) {
        if (!isPort(r, m.index) && !boxAt(r, m.index)) picture.append(svg('text', { x: m.index * cw, y: cy(r) + 4.5 }, m[0]));
      }
    });
    picture.prepend(svg('path', { class: 'wire', d: wires.join('') }));
    for (const [x, y] of joints) picture.append(svg('circle', { class: 'joint', cx: x, cy: y, r: 3.5 }));
    for (const [x, y] of ports) picture.append(svg('circle', { class: 'port', cx: x, cy: y, r: 4.5 }));

    for (const box of boxes) {
      const resistor = resistors.find((r) => r.name === box.name);
      const value = values ? values[box.name] : undefined;
      const group = svg('g', { class: 'resistor' });
      group.append(svg('title', {}, resistor ? `${box.name}: ${resistor.role}` : box.name));
      const y = cy(box.row);
      if (box.horizontal) {
        const x1 = box.start * cw;
        const x2 = (box.end + 1) * cw;
        group.append(svg('rect', { class: 'body', x: x1, y: y - 8, width: x2 - x1, height: 16, rx: 2 }));
        group.append(svg('text', { class: 'name', x: (x1 + x2) / 2, y: y + 4.5, 'text-anchor': 'middle' }, box.name));
        if (value) group.append(svg('text', { class: 'value', x: (x1 + x2) / 2, y: y - 12, 'text-anchor': 'middle' }, value));
      } else {
        const x = cx(box.column);
        group.append(svg('rect', { class: 'body', x: x - 7, y: box.row * rh - 8, width: 14, height: rh + 16, rx: 2 }));
        group.append(svg('text', { class: 'name', x: x + 12, y: y - 1 }, box.name));
        if (value) group.append(svg('text', { class: 'value', x: x + 12, y: y + 12 }, value));
      }
      picture.append(group);
    }
    return el('figure', { id: 'drawing' }, picture);
  }

  // --- Messages ----------------------------------------------------------------

  function messageFor(field) {
    return (field && $('message-' + field)) || $('message-general');
  }

  function clearMessages(kinds, within) {
    for (const m of (within || document).querySelectorAll('.message')) {
      if (kinds === 'all' || !m.classList.contains('warn')) {
        m.textContent = '';
        m.classList.remove('warn');
      }
    }
    for (const input of (within || document).querySelectorAll('[aria-invalid]')) input.removeAttribute('aria-invalid');
  }

  function showMessage(field, text, warning) {
    const m = messageFor(field);
    m.textContent = m.textContent && warning ? m.textContent + ' ' + text : text;
    m.classList.toggle('warn', !!warning);
    const input = field && $(field === 'network' || field === 'series' ? field : 'f-' + field) || $(field);
    if (input && !warning) input.setAttribute('aria-invalid', 'true');
  }

  // --- Results ---------------------------------------------------------------

  function resistorValues(view) {
    return Object.fromEntries(view.resistors.map((r) => [r.name, r.value]));
  }

  function powerTable(title, power) {
    const out = [el('h3', null, `Power in the ${title}, ${power.available} available from the source, ${power.loads}`)];
    if (power.rating) out.push(el('p', { class: 'note' }, power.rating));
    for (const t of power.tables) {
      out.push(el('h4', null, t.caption));
      out.push(tableOf(t.headings, t.rows, t.headings.map((h, i) => i > 0 && i < t.headings.length - 1)));
    }
    return out;
  }

  // --- The response over frequency ---------------------------------------------

  function hertz(hz) {
    const prefixes = [[1e12, 'THz'], [1e9, 'GHz'], [1e6, 'MHz'], [1e3, 'kHz'], [1, 'Hz']];
    const [scale, unit] = prefixes.find(([s]) => hz >= s) || [1e-3, 'mHz'];
    return `${Number((hz / scale).toPrecision(3))} ${unit}`;
  }

  // One plot against frequency on a log scale: each line a list of [hz, dB];
  // a figure beyond the top (a perfect match) is drawn at the top.
  function plot(title, lines, top) {
    const w = 560;
    const h = 200;
    const left = 44;
    const right = 26; // room for the last frequency's label
    const bottom = 28;
    const all = lines.flatMap((l) => l.points);
    const lo = Math.log10(all[0][0]);
    const hi = Math.max(Math.log10(all[all.length - 1][0]), lo + 1e-9);
    const finite = all.map((p) => p[1]).filter((v) => typeof v === 'number' && v <= top);
    let yMax = Math.min(top, Math.max(...finite, 1));
    let yMin = Math.min(...finite, 0);
    if (yMax - yMin < 0.1) yMax = yMin + 0.1;
    const x = (hz) => left + (Math.log10(hz) - lo) / (hi - lo) * (w - left - right);
    const y = (db) => 8 + (1 - (Math.min(typeof db === 'number' ? db : top, yMax) - yMin) / (yMax - yMin)) * (h - bottom - 8);
    const picture = svg('svg', { class: 'plot', viewBox: `0 0 ${w} ${h}`, role: 'img', 'aria-label': title });
    picture.append(svg('rect', { class: 'frame', x: left, y: 8, width: w - left - right, height: h - bottom - 8 }));
    for (let d = Math.ceil(lo); d <= Math.floor(hi); d++) {
      picture.append(svg('line', { class: 'grid', x1: x(10 ** d), x2: x(10 ** d), y1: 8, y2: h - bottom }));
      picture.append(svg('text', { x: x(10 ** d), y: h - 10, 'text-anchor': 'middle' }, hertz(10 ** d)));
    }
    for (const v of [yMin, (yMin + yMax) / 2, yMax])
      picture.append(svg('text', { x: left - 4, y: y(v) + 4, 'text-anchor': 'end' }, Number(v.toPrecision(3))));
    lines.forEach((l, i) => {
      const d = l.points.map((p, j) => `${j ? 'L' : 'M'}${x(p[0]).toFixed(1)} ${y(p[1]).toFixed(1)}`).join('');
      picture.append(svg('path', { class: `curve curve-${i} ${l.dashed ? 'dashed' : ''}`, d }));
    });
    const legend = el('ul', { class: 'legend' }, ...lines.map((l, i) =>
      el('li', { class: `curve-${i} ${l.dashed ? 'dashed' : ''}` }, l.name)));
    return el('figure', { class: 'response' }, el('figcaption', null, title), picture, legend);
  }

  function radioSection(radio, builds) {
    const out = [el('h3', null, 'At radio frequencies'), el('p', null, radio.model), el('p', null, radio.limits + ':')];
    if (radio.holds) out.push(el('p', { id: 'holds' }, el('strong', null, radio.holds)));
    for (const build of builds || []) if (build.holds) out.push(el('p', null, `The ${build.which.toLowerCase()} build ${build.holds}`));
    const series = (index) => (curve) => ({ name: curve.which, points: curve.points.map((p) => [p[0], p[index]]) });
    out.push(plot('Loss (dB) against frequency', radio.curves.map(series(1)), 1e9));
    out.push(plot('Return loss (dB) against frequency: input solid, output dashed', [
      ...radio.curves.map((c) => ({ ...series(2)(c), name: c.which + ', input' })),
      ...radio.curves.map((c) => ({ ...series(3)(c), name: c.which + ', output', dashed: true })),
    ], 80));
    if (radio.compare.length) {
      out.push(el('h3', null, 'Each network designed for these entries, with these parts'));
      out.push(tableOf(['Network', 'Where it holds'],
        radio.compare.map((c) => ({ cells: [c.title, c.holds] })), [false, false]));
    }
    return out;
  }

  function figuresTable(figures) {
    return tableOf(['Figure', 'Value'], figures.map((f) => ({ cells: [f.label, f.value] })), [false, true]);
  }

  // The nearest and the best build side by side, then the power in each.
  function buildsTable(view) {
    const [nearest, best] = view.builds;
    const rows = nearest.resistors.map((r, i) => {
      const b = best.resistors[i];
      return { cells: [r.name, r.value, b.parts ? el('span', null, b.value, el('span', { class: 'parts' }, b.parts)) : b.value] };
    });
    rows.push({ cells: ['Merit', nearest.merit, best.merit] });
    nearest.figures.forEach((f, i) => rows.push({ cells: [f.label, f.value, best.figures[i].value] }));
    if (nearest.tolerance) {
      const [a, b] = [nearest.tolerance, best.tolerance];
      rows.push({ cells: [`Loss over ${a.percent} % tolerance`, a.loss, b.loss], classes: [null, 'range', 'range'] });
      rows.push({ cells: ['Worst input return loss', a.return_loss_in, b.return_loss_in] });
      rows.push({ cells: ['Worst output return loss', a.return_loss_out, b.return_loss_out] });
    }
    const out = [el('h3', null, `Builds from ${view.series}`),
      tableOf(['', 'Nearest', 'Best'], rows, [false, true, true])];
    for (const build of view.builds)
      if (build.power) out.push(...powerTable(`${build.which.toLowerCase()} build`, build.power));
    return out;
  }

  function showResult(reply) {
    const view = reply.view;
    const n = network();
    const check = state.mode === 'check';
    const body = [];
    body.push(el('p', { class: 'least' }, 'Least loss for these impedances: ', el('strong', { id: 'least-loss' }, view.least_loss)));
    if (view.pad_loss) body.push(el('p', null, 'Loss of the pad: ', el('strong', { id: 'pad-loss' }, view.pad_loss)));
    body.push(drawing(n.drawing, n.title, n.resistors, resistorValues(view)));
    if (!check && !n.outward_matched) body.push(el('p', { class: 'note' }, 'Matched at the inward port only.'));
    body.push(el('h3', null, check ? 'Given resistors' : view.builds ? 'Ideal values' : 'Resistors'));
    body.push(tableOf(['Resistor', 'Role', 'Value'],
      view.resistors.map((r) => ({ cells: [r.name, r.role, r.value], classes: [null, 'role'] })), [false, false, true]));
    if (view.figures) {
      body.push(el('h3', null, 'Loss and match'));
      body.push(figuresTable(view.figures));
    }
    if (view.power) body.push(...powerTable(check ? 'resistors' : 'ideal design', view.power));
    if (view.builds) body.push(...buildsTable(view));
    if (view.radio) body.push(...radioSection(view.radio, view.builds));
    for (const problem of reply.problems.filter((p) => p.field === 'rating'))
      body.push(el('p', { class: 'reason warn' }, problem.text));
    $('result-title').textContent = view.title + (check ? ', checked' : '');
    $('results').className = '';
    $('result-body').replaceChildren(...body);
    if (!check) lastDesign = reply.report;
  }

  function showUnbuildable(reply) {
    const n = network();
    $('result-title').textContent = n.title + (state.mode === 'check' ? ', checked' : '');
    $('results').className = 'unbuildable';
    $('result-body').replaceChildren(...[
      typeof reply.min_loss_db === 'number' &&
        el('p', { class: 'least' }, 'Least loss for these impedances: ', el('strong', { id: 'least-loss' }, reply.least_loss)),
      el('p', { class: 'reason' }, reply.error),
      drawing(n.drawing, n.title, n.resistors, null)].filter(Boolean));
  }

  // Works out the entries again and shows the outcome. A value that cannot
  // be read changes only its own message: the last results stay.
  function update() {
    const started = performance.now();
    const reply = ask(request());
    if (reply.ok) {
      clearMessages('all');
      showResult(reply);
      for (const problem of reply.problems.filter((p) => p.field !== 'rating')) showMessage(problem.field, problem.text, true);
      writeAddress();
    } else {
      clearMessages('faults');
      // A design that cannot be built also says the least loss it could have.
      // (None for impedances that are not positive numbers.)
      const least = typeof reply.min_loss_db === 'number' && !reply.error.includes(reply.least_loss)
        ? `\nLeast loss for these impedances: ${reply.least_loss}` : '';
      showMessage(reply.field, reply.error + least);
      if (reply.min_loss_db !== undefined) {
        showUnbuildable(reply);
        writeAddress();
      }
    }
    performance.measure('padcalc-update', { start: started });
    if (!shown && reply.ok) {
      shown = true;
      performance.mark('padcalc-first-design');
    }
  }

  // --- The form ----------------------------------------------------------------

  function buildEntryFields() {
    const fields = entries().map((entry) => {
      const id = 'f-' + entry.key;
      const input = el('input', {
        id, type: 'text', spellcheck: 'false', autocapitalize: 'off',
        'data-key': entry.key, 'aria-describedby': `about-${entry.key} message-${entry.key}`,
      });
      if (entry.resistor) input.dataset.resistor = 'true';
      input.value = entryValue(entry);
      return el('div', { class: 'field' },
        el('label', { for: id }, entry.name, ' ', el('span', { class: 'unit' }, entry.unit),
          el('span', { class: 'about', id: `about-${entry.key}` }, entry.about)),
        input,
        el('p', { class: 'message', id: `message-${entry.key}`, role: 'alert' }));
    });
    $('entry-fields').replaceChildren(...fields);
  }

  // Puts the state into the controls, after the address has set it.
  function showState() {
    for (const radio of document.querySelectorAll('input[name="mode"]')) radio.checked = radio.value === state.mode;
    document.body.classList.toggle('check', state.mode === 'check');
    $('network').value = network().id;
    for (const key of flagOptions) $(key).checked = state[key];
    for (const key of [...textOptions, ...selectOptions]) $(key).value = state[key];
    for (const key of seriesOptions) $(key).disabled = !state.series;
    buildEntryFields();
  }

  // A check starts from the last design's resistors, to four figures.
  function startCheck() {
    const n = network();
    if (!lastDesign || lastDesign.network !== n.id) return;
    for (const r of n.resistors) {
      const value = lastDesign.resistors[r.name];
      if (!state.resistors[r.key] && typeof value === 'number') state.resistors[r.key] = String(Number(value.toPrecision(4)));
    }
  }

  function onInput(event) {
    const target = event.target;
    if (target.name === 'mode') {
      state.mode = target.value;
      if (state.mode === 'check') startCheck();
      showState();
    } else if (target.id === 'network') {
      state.network = target.value;
      if (state.mode === 'check') startCheck();
      buildEntryFields();
    } else if (selectOptions.includes(target.id)) {
      state[target.id] = target.value;
      for (const key of seriesOptions) $(key).disabled = !state.series;
    } else if (flagOptions.includes(target.id)) {
      state[target.id] = target.checked;
    } else if (textOptions.includes(target.id)) {
      state[target.id] = target.value;
      if (target.id === 'name') {
        clearMessages('all', $('downloads'));
        writeAddress();
        return;
      }
    } else if (target.dataset.key) {
      (target.dataset.resistor ? state.resistors : state.values)[target.dataset.key] = target.value;
    } else {
      return;
    }
    update();
  }

  // --- The address -----------------------------------------------------------

  // #tee/50/75/10?series=E24&pairs, or #check/pi/50/50/96.25/96.25/71.15:
  // the command line's words, in its order.
  function address() {
    const n = network();
    const path = state.mode === 'check' ? ['check', n.id, ...entries().map(entryValue)] : [n.id, ...n.entries.map(entryValue)];
    const query = [];
    if (state.mode === 'design' && state.series) {
      query.push('series=' + encodeURIComponent(state.series));
      for (const key of seriesOptions) if (state[key]) query.push(term(key));
    }
    const shared = (flag) => sharedOptions.filter((key) => flagOptions.includes(key) === flag);
    for (const key of [...shared(false), 'name', ...shared(true)]) if (state[key]) query.push(term(key));
    return '#' + path.map(encodeURIComponent).join('/') + (query.length ? '?' + query.join('&') : '');
  }

  // An option in the address: a flag by its name, a value as name=value.
  function term(key) {
    return flagOptions.includes(key) ? key : key + '=' + encodeURIComponent(state[key]);
  }

  function writeAddress() {
    const hash = address();
    $('share').href = hash;
    if (hash === writtenAddress) return;
    writtenAddress = hash;
    try {
      history.replaceState(null, '', hash);
    } catch {
      location.replace(hash);
    }
  }

  function decode(text) {
    try {
      return decodeURIComponent(text);
    } catch {
      return text;
    }
  }

  // Reads the entries from the address; what it does not give keeps its value.
  function readAddress() {
    const hash = location.hash.slice(1);
    if (!hash) return;
    const [pathText, queryText = ''] = hash.split('?');
    const path = pathText.split('/').map(decode);
    state.mode = path[0] === 'check' ? 'check' : 'design';
    if (state.mode === 'check') path.shift();
    const id = path.shift();
    const known = table.networks.find((n) => n.id === id);
    if (known) state.network = id;
    else if (id) showMessage('network', `unknown network '${id}' in the address`);
    entries().forEach((entry, i) => {
      if (i < path.length) (entry.resistor ? state.resistors : state.values)[entry.key] = path[i];
    });
    const query = new Map(queryText.split('&').filter(Boolean).map((part) => {
      const [key, ...rest] = part.split('=');
      return [decode(key), decode(rest.join('='))];
    }));
    for (const key of flagOptions) state[key] = query.has(key);
    for (const key of [...textOptions, ...selectOptions]) state[key] = query.get(key) || '';
  }

  // --- Downloads -------------------------------------------------------------

  function download(format) {
    clearMessages('all', $('downloads'));
    // The subcircuit's name goes with the SPICE file.
    const q = Object.assign(request(), { op: 'export', of: state.mode, format });
    if (format === 'spice') q.name = state.name;
    const reply = ask(q);
    if (!reply.ok) {
      showMessage($('message-' + reply.field) ? reply.field : 'format', reply.error);
      return;
    }
    const type = format === 'json' ? 'application/json' : 'text/plain';
    const url = URL.createObjectURL(new Blob([reply.text], { type }));
    const link = el('a', { href: url, download: reply.filename });
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 1000);
  }

  // --- Start -----------------------------------------------------------------

  // The option fields, one for each option of the table that the page
  // shows, in its group; a select for the series and the chip sizes.
  function makeOptionFields(options) {
    const choices = { series: ['None: the ideal values', table.series], package: ['None: ideal resistors', table.packages] };
    for (const o of options) {
      state[o.key] = o.kind === 'flag' ? false : '';
      if (o.design && o.check) sharedOptions.push(o.key);
      if (o.kind === 'flag') flagOptions.push(o.key);
      if (o.kind === 'text') textOptions.push(o.key);
      if (o.needs === 'series') seriesOptions.push(o.key);
      if (choices[o.kind]) selectOptions.push(o.key);
      const onlyDesign = o.check ? null : 'design-only';
      let field;
      if (o.kind === 'flag') {
        field = el('label', { class: ['check', onlyDesign].filter(Boolean).join(' ') }, el('input', { type: 'checkbox', id: o.key }), ' ' + o.label);
      } else {
        const message = el('p', { id: 'message-' + o.key, class: 'message', role: 'alert' });
        const control = choices[o.kind]
          ? el('select', { id: o.key, 'aria-describedby': message.id },
            el('option', { value: '' }, choices[o.kind][0]), ...choices[o.kind][1].map((v) => el('option', { value: v }, v)))
          : el('input', { id: o.key, type: 'text', spellcheck: 'false', placeholder: o.example, 'aria-describedby': message.id });
        const about = o.key === 'freq' ? el('p', { id: 'about-freq', class: 'note' },
          'The response at these frequencies, in the plot and in every download. Without them the plot spans 1 MHz to 100 GHz and the Touchstone file 1 MHz to 1 GHz in 11 points.') : null;
        if (about) control.setAttribute('aria-describedby', 'about-freq ' + message.id);
        field = el('div', { class: ['field', onlyDesign].filter(Boolean).join(' ') }, el('label', { for: o.key }, o.label), control, about, message);
      }
      $(o.group + '-fields').append(field);
    }
  }

  function start(module) {
    call = module.cwrap('padcalc_call', 'string', ['string']);
    table = ask({ op: 'networks' });
    if (!table.ok) throw new Error(table.error);
    $('network').replaceChildren(...table.networks.map((n) => el('option', { value: n.id }, n.title)));
    makeOptionFields(table.options);
    readAddress();
    showState();
    update();
    document.addEventListener('input', onInput);
    for (const button of document.querySelectorAll('button[data-format]'))
      button.addEventListener('click', () => download(button.dataset.format));
    window.addEventListener('hashchange', () => {
      if (location.hash === writtenAddress) return;
      readAddress();
      showState();
      update();
    });
    $('starting').remove();
    performance.mark('padcalc-ready');
  }

  // Built to compile the WebAssembly at once, the loader gives the module
  // itself; otherwise a promise of it.
  try {
    Promise.resolve(createPadcalc()).then(start).catch((e) => {
      $('starting').textContent = 'The calculator could not start: ' + (e && e.message ? e.message : e);
    });
  } catch (e) {
    $('starting').textContent = 'The calculator could not start: ' + e.message;
  }
})();
