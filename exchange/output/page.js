
// MORVIT's HTML page: the script. Embedded byte for byte in every page (see
// embed_page_assets.cmake) and allowed by its hash in the page's Content-Security-Policy.
// Every element is built with DOM calls (createElement, textContent, setAttribute): no text
// of the run is ever parsed as markup. Keep this file free of the sequence "</" + "script".
//
// The table and the plot list show one page of blocks at a time (the filter chooses which
// blocks), built from the embedded data when shown; a block's plots are drawn when it is
// opened and dropped when it is closed. Words after '#' in the page's address, separated by
// commas, switch test hooks on: "labels" (the points labelled), "mer=X" and "alpha=X" (the
// MER and the level set), "open=BLOCK" (the filter set to the block, the block opened), "test-svg" (the first plot's SVG file made at once and its text put
// in #svg-text, the pointer moved onto its first case), "bench-open" (every block opened and closed in turn, the times kept in
// data-open-* attributes of the html element).
(function () {
  'use strict';
  var root = document.documentElement;

  // Script errors and refusals of the page's policy, kept in attributes of the html
  // element where a test (or a reader with the browser's inspector) finds them.
  function note(attribute, text) {
    var before = root.getAttribute(attribute);
    root.setAttribute(attribute, before ? before + '; ' + text : text);
  }
  window.addEventListener('error', function (event) {
    note('data-script-errors', (event.message || 'script error') + (event.lineno ? ' (line ' + event.lineno + ')' : ''));
  });
  document.addEventListener('securitypolicyviolation', function (event) {
    note('data-csp-violations', event.violatedDirective + ' ' + (event.blockedURI || 'inline'));
  });

  var SVG = 'http://www.w3.org/2000/svg';

  // An element with attributes and children (texts become text nodes).
  function put(node, attributes, children) {
    if (attributes) {
      for (var name in attributes) {
        if (Object.prototype.hasOwnProperty.call(attributes, name) && attributes[name] !== null &&
            attributes[name] !== undefined) {
          node.setAttribute(name, String(attributes[name]));
        }
      }
    }
    add(node, children);
    return node;
  }
  function add(node, children) {
    if (children === null || children === undefined) return;
    if (Array.isArray(children)) {
      for (var i = 0; i < children.length; i++) add(node, children[i]);
    } else if (typeof children === 'object') {
      node.appendChild(children);
    } else {
      node.appendChild(document.createTextNode(String(children)));
    }
  }
  function el(tag, attributes, children) { return put(document.createElement(tag), attributes, children); }
  function svgEl(tag, attributes, children) { return put(document.createElementNS(SVG, tag), attributes, children); }
  function clear(node) { while (node.firstChild) node.removeChild(node.firstChild); }

  function shortNumber(value, digits) {
    return value === null || value === undefined || !isFinite(value) ? '?' : Number(value.toFixed(digits)).toString();
  }
  function measure(value) { return value === null || value === undefined ? 'n/a' : value.toFixed(3); }

  var dataNode = document.getElementById('morvit-data');
  var data = dataNode ? JSON.parse(dataNode.textContent) : null;
  if (!data) {
    // The page of a run without a table: nothing to set up.
    root.setAttribute('data-state', 'ready');
    return;
  }

  var hooks = {}, settings = {};
  location.hash.slice(1).split(',').forEach(function (word) {
    word = decodeURIComponent(word);
    var equals = word.indexOf('=');
    if (equals > 0) settings[word.slice(0, equals)] = word.slice(equals + 1); else hooks[word] = true;
  });

  var BASELINE = 0, NECESSARY = 1, SUFFICIENT = 2, NEC_AND_SUFF = 3, COMPARISON = 4;
  var COLOURS = { ab: ['#e66101', '#a04000'], be: ['#2166ac', '#14406b'], ti: ['#888888', '#555555'] };
  var alphaSelect = document.getElementById('alpha');
  var merInput = document.getElementById('mer');
  var labelsBox = document.getElementById('labels');
  var sizeSelect = document.getElementById('size');
  var shownNode = document.getElementById('shown');
  var boxes = document.querySelectorAll('#filter input[type=checkbox]');
  var table = document.querySelector('table.fit-table');
  var plotList = document.getElementById('plot-list');
  var pagers = document.querySelectorAll('.pager');
  var tip = document.getElementById('tip');
  if (hooks.labels) labelsBox.checked = true;
  if (settings.mer !== undefined) merInput.value = settings.mer;
  if (settings.alpha !== undefined) alphaSelect.value = settings.alpha;

  var blocks = data.blocks;
  var named = data.factors.some(function (name) { return name; });
  var outcomeName = data.outcome ? data.outcome : 'outcome';

  // The names behind a block's letters joined by '*' (a letter for a factor without one);
  // empty when no factor has a name.
  function blockNames(block) {
    if (!named || block === 'NONE') return '';
    var names = [];
    for (var k = 0; k < block.length; k++) names.push(data.factors[block.charCodeAt(k) - 65] || block[k]);
    return names.join('*');
  }
  // A block with its names when they are short enough for a plot's axis.
  function blockLabel(block) { return named && block.length <= 2 ? block + ' (' + blockNames(block) + ')' : block; }

  // ---- Readings -------------------------------------------------------------------------

  function omission(kind) {
    switch (kind) {
      case NECESSARY: return 'left out of the report: no case has its outcome above the membership';
      case SUFFICIENT: return 'left out of the report: no case has its outcome below the membership';
      case NEC_AND_SUFF: return 'left out of the report: the total weight is not above 0';
      case COMPARISON: return 'left out of the report: the combination lies at distance 0';
    }
    return 'left out of the report';
  }

  function chosenLevel() { return parseFloat(alphaSelect.value); }
  // The MER in the field; the run's own, to the last bit, while the field shows it as written.
  function chosenMer() {
    if (merInput.value === merInput.defaultValue) return data.mer;
    var value = parseFloat(merInput.value);
    return isFinite(value) ? value : data.mer;
  }
  // The critical MER of a row at the chosen level: a number, null (none makes the row
  // compatible) or undefined (not known: the row is read by its P).
  function criticalMer(row) {
    var at = data.levels.indexOf(chosenLevel());
    var critical = row[9];
    return critical.length === data.levels.length && at >= 0 ? critical[at] : undefined;
  }

  // A row's reading: its class and its words. Hypothesis rows are compatible when the MER
  // is at least their critical MER at the level (read by P at or above the level when the
  // run gave no critical MER); comparison rows are read by their P.
  function reading(row) {
    var kind = row[0], printed = row[2], p = row[8], against = row[10], ties = row[11];
    var level = chosenLevel();
    if (kind === BASELINE) return ['base', ''];
    if (!printed) {
      if ((kind === NECESSARY || kind === SUFFICIENT) && against === 0) {
        return ['perfect', 'no case against: fully consistent'];
      }
      return ['om', ''];
    }
    if (kind === COMPARISON) {
      var closer = p !== null && p < level;
      return [closer ? 'cmp closer' : 'cmp', closer ? 'combination closer' : 'not markedly'];
    }
    if (ties) return ['tie', 'decided by ties'];
    var critical = criticalMer(row);
    var fit = critical === undefined ? p !== null && p >= level : critical !== null && chosenMer() >= critical;
    return [fit ? 'fit' : 'rej', fit ? 'compatible' : 'rejected'];
  }

  // ---- Table rows -------------------------------------------------------------------------

  // A row of block `bi`; with `first` the block's label cell links to its plots and a
  // names cell spans `span` rows; `plain` leaves out the block and names cells.
  function rowElement(bi, ri, first, span, plain) {
    var block = blocks[bi], row = block.r[ri];
    var tr = el('tr', { 'data-r': bi + ':' + ri });
    if (!plain) {
      tr.appendChild(el('th', null, first && block.b !== 'NONE' ? el('a', { href: '#p-' + block.b }, block.b) : block.b));
      if (first) {
        var names = el('td', { 'class': 'nm', rowspan: span }, blockNames(block.b));
        if (block.c) names.appendChild(el('span', { 'class': 'contra-note' }, 'contradictory: a factor and its negation'));
        tr.appendChild(names);
      }
    }
    tr.appendChild(el('td', { 'class': 'hy' }, row[1]));
    if (!row[2]) {
      tr.appendChild(el('td', { colspan: 5, 'class': 'note' }, omission(row[0])));
    } else {
      for (var c = 3; c <= 7; c++) tr.appendChild(el('td', null, c === 4 && row[0] === COMPARISON ? '-----' : row[c]));
    }
    tr.appendChild(el('td', { 'class': 'cm' }));
    tr.appendChild(el('td', { 'class': 'ca' }, row[10] >= 0 ? row[10].toLocaleString('en') : ''));
    tr.appendChild(el('td', { 'class': 'v' }));
    classifyRow(tr);
    return tr;
  }

  function classifyRow(tr) {
    var at = tr.getAttribute('data-r').split(':');
    var block = blocks[Number(at[0])], row = block.r[Number(at[1])];
    var read = reading(row);
    tr.className = read[0] + (block.c ? ' contra' : '');
    var critical = criticalMer(row);
    tr.querySelector('td.cm').textContent = critical === undefined ? '' : critical === null ? 'none' : shortNumber(critical, 4);
    tr.querySelector('td.v').textContent = read[1];
  }

  function classifyAll() {
    var rows = document.querySelectorAll('tr[data-r]');
    for (var i = 0; i < rows.length; i++) classifyRow(rows[i]);
  }

  // ---- Filter, pages, table and plot list -------------------------------------------------

  var shown = [];     // the indexes of the blocks the filter keeps (NONE not among them)
  var page = 0;
  var opened = {};    // the blocks whose plots are open, by label
  // The single factors open at first, as many as the first view can draw quickly (all of
  // them for a run of a few hundred cases; the first two for a sample of 2,000).
  var firstPoints = 0;
  blocks.forEach(function (block) {
    if (block.b.length === 1 && (firstPoints === 0 || firstPoints + data.case.length <= 4000)) {
      opened[block.b] = true;
      firstPoints += data.case.length;
    }
  });

  function applyFilter() {
    var wanted = [];
    for (var i = 0; i < boxes.length; i++) if (boxes[i].checked) wanted.push(boxes[i].value);
    var size = sizeSelect.value;
    shown = [];
    for (var b = 0; b < blocks.length; b++) {
      var label = blocks[b].b;
      if (label === 'NONE') continue;
      if ((size === 'all' || label.length === Number(size)) &&
          wanted.every(function (letter) { return label.indexOf(letter) >= 0; })) {
        shown.push(b);
      }
    }
    shownNode.textContent = shown.length + ' of ' + (blocks.length - 1) + ' blocks shown';
    page = 0;
    render();
  }

  function pageCount() { return Math.max(1, Math.ceil(shown.length / data.page)); }

  function renderPagers() {
    var first = page * data.page, last = Math.min(shown.length, first + data.page);
    for (var i = 0; i < pagers.length; i++) {
      var pager = pagers[i];
      clear(pager);
      if (pageCount() === 1) continue;
      var previous = el('button', { type: 'button', 'data-step': -1 }, '\u25c0 previous');
      var next = el('button', { type: 'button', 'data-step': 1 }, 'next \u25b6');
      previous.disabled = page === 0;
      next.disabled = page === pageCount() - 1;
      add(pager, [previous, ' ', el('span', null, 'blocks ' + (first + 1) + '\u2013' + last + ' of ' + shown.length +
                                           ' (page ' + (page + 1) + ' of ' + pageCount() + ')'), ' ', next]);
    }
  }

  function detailsElement(bi) {
    var block = blocks[bi];
    var brief = [];
    block.r.forEach(function (row) {
      if (row[0] !== COMPARISON && row[0] !== BASELINE && row[2]) brief.push(row[1] + ' P ' + row[7]);
    });
    var summary = el('summary', null, [el('b', null, block.b), ' ', blockNames(block.b), ' ',
                                       el('span', { 'class': 'brief' }, brief.join(' \u00b7 '))]);
    if (block.c) summary.appendChild(el('span', { 'class': 'contra-note' }, 'contradictory: a factor and its negation'));
    var details = el('details', { id: 'p-' + block.b, 'data-block': block.b, 'data-index': bi,
                                  'class': block.c ? 'contra' : null },
                     [summary, el('div', { 'class': 'plot' })]);
    if (opened[block.b]) {
      details.open = true;
      drawBlock(details);
    }
    return details;
  }

  function render() {
    renderPagers();
    var bodies = table.querySelectorAll('tbody');
    for (var i = 0; i < bodies.length; i++) table.removeChild(bodies[i]);
    clear(plotList);
    var list = [0].concat(shown.slice(page * data.page, (page + 1) * data.page));
    for (var k = 0; k < list.length; k++) {
      var bi = list[k], block = blocks[bi];
      if (!block || (k === 0 && block.b !== 'NONE')) continue;
      var body = el('tbody', { id: 't-' + block.b, 'data-block': block.b, 'class': block.c ? 'contra' : null });
      for (var r = 0; r < block.r.length; r++) body.appendChild(rowElement(bi, r, r === 0, block.r.length, false));
      table.appendChild(body);
      if (k > 0) plotList.appendChild(detailsElement(bi));
    }
    countPlots();
  }

  function turn(step) {
    page = Math.max(0, Math.min(pageCount() - 1, page + step));
    render();
  }

  // ---- Plots ------------------------------------------------------------------------------

  var low = Infinity, high = -Infinity, heaviest = 1;
  data.z.forEach(function (column) {
    column.forEach(function (value) {
      if (value < low) low = value;
      if (value > high) high = value;
    });
  });
  if (!isFinite(low) || !isFinite(high)) { low = 0; high = 0; }  // no case to draw
  if (!(high > low)) { low -= 1; high += 1; }
  var pad = (high - low) * 0.04;
  var zRange = [low - pad, high + pad];
  data.w.forEach(function (weight) { if (weight > heaviest) heaviest = weight; });
  var radii = data.w.map(function (weight) { return 2 + 4 * Math.sqrt(weight > 0 ? weight / heaviest : 0); });
  function clamp(value) { return value < 0 ? 0 : value > 1 ? 1 : value; }
  function tenths(value) { return Math.round(value * 10) / 10; }
  // A point's circle as two arcs from its leftmost point, the same in every plot.
  var arcs = radii.map(function (r) {
    var radius = tenths(r), across = tenths(2 * r);
    return 'a' + radius + ',' + radius + ' 0 1,0 ' + across + ',0a' + radius + ',' + radius + ' 0 1,0 ' + -across + ',0';
  });

  // The membership of a block in z-scores: the smallest of its factors' z-scores, rounded
  // to single precision for three factors or more, as the analysis takes it; as read: the
  // smallest of its factors' memberships.
  function zMembership(block) {
    var columns = [];
    for (var k = 0; k < block.length; k++) columns.push(data.z[block.charCodeAt(k) - 64]);
    var single = columns.length >= 3;
    var result = new Array(data.case.length);
    for (var i = 0; i < result.length; i++) {
      var value = columns[0][i];
      for (var c = 1; c < columns.length; c++) if (columns[c][i] < value) value = columns[c][i];
      result[i] = single ? Math.fround(value) : value;
    }
    return result;
  }
  function setMembership(block) {
    var columns = [];
    for (var k = 0; k < block.length; k++) columns.push(data.x[block.charCodeAt(k) - 64]);
    var result = new Array(data.case.length);
    for (var i = 0; i < result.length; i++) {
      var value = columns[0][i];
      for (var c = 1; c < columns.length; c++) if (columns[c][i] < value) value = columns[c][i];
      result[i] = clamp(value);
    }
    return result;
  }

  function caseName(i) {
    var name = data.names ? data.names[i] : '';
    return name ? name : 'case ' + data.case[i];
  }

  var SIZE = 300, LEFT = 50, TOP = 30, RIGHT = 14;

  // A plot of `ys` (up) against `xs` (across) over [lo, hi] on both axes: grid, frame,
  // diagonal, the key above the frame, the axis titles below and left, one circle a case
  // (its index in data-i), and `extra` lines of text under the axis title.
  function plot(kind, block, xs, ys, lo, hi, ticks, xTitle, yTitle, extra, halves) {
    var bottom = 44 + 15 * extra.length;
    var width = LEFT + SIZE + RIGHT, height = TOP + SIZE + bottom;
    function sx(v) { return LEFT + (v - lo) / (hi - lo) * SIZE; }
    function sy(v) { return TOP + (hi - v) / (hi - lo) * SIZE; }
    var svg = svgEl('svg', { xmlns: SVG, width: width, height: height, viewBox: '0 0 ' + width + ' ' + height,
                             role: 'img', 'aria-label': yTitle + ' against ' + xTitle, 'font-family': 'sans-serif',
                             'font-size': 11, 'class': 'chart-' + kind });
    svg.appendChild(svgEl('rect', { x: 0, y: 0, width: width, height: height, fill: '#ffffff' }));
    ticks.forEach(function (t) {
      var label = String(Number(t.toFixed(2)));
      svg.appendChild(svgEl('line', { x1: sx(t), x2: sx(t), y1: TOP, y2: TOP + SIZE, stroke: '#eeeeee' }));
      svg.appendChild(svgEl('line', { y1: sy(t), y2: sy(t), x1: LEFT, x2: LEFT + SIZE, stroke: '#eeeeee' }));
      svg.appendChild(svgEl('text', { x: sx(t), y: TOP + SIZE + 14, 'text-anchor': 'middle', fill: '#444444' }, label));
      svg.appendChild(svgEl('text', { x: LEFT - 6, y: sy(t) + 4, 'text-anchor': 'end', fill: '#444444' }, label));
    });
    if (halves) {
      var dash = { stroke: '#999999', 'stroke-dasharray': '2 3' };
      svg.appendChild(svgEl('line', Object.assign({ 'class': 'half', x1: sx(0.5), x2: sx(0.5), y1: TOP,
                                                    y2: TOP + SIZE }, dash)));
      svg.appendChild(svgEl('line', Object.assign({ 'class': 'half', y1: sy(0.5), y2: sy(0.5), x1: LEFT,
                                                    x2: LEFT + SIZE }, dash)));
    }
    svg.appendChild(svgEl('rect', { x: LEFT, y: TOP, width: SIZE, height: SIZE, fill: 'none', stroke: '#888888' }));
    svg.appendChild(svgEl('line', { 'class': 'diagonal', x1: sx(lo), y1: sy(lo), x2: sx(hi), y2: sy(hi),
                                    stroke: '#333333', 'stroke-width': 1.2, 'stroke-dasharray': '5 3' }));
    // The key, above the frame: nothing is written over the data.
    svg.appendChild(svgEl('circle', { cx: LEFT + 5, cy: 12, r: 4, fill: COLOURS.ab[0] }));
    svg.appendChild(svgEl('text', { x: LEFT + 12, y: 16, fill: '#444444' }, 'above: against NECESSARY'));
    svg.appendChild(svgEl('circle', { cx: LEFT + 170, cy: 12, r: 4, fill: COLOURS.be[0] }));
    svg.appendChild(svgEl('text', { x: LEFT + 177, y: 16, fill: '#444444' }, 'below: against SUFFICIENT'));
    svg.appendChild(svgEl('text', { x: LEFT + SIZE / 2, y: TOP + SIZE + 32, 'text-anchor': 'middle', fill: '#222222' },
                          xTitle));
    svg.appendChild(svgEl('text', { transform: 'translate(14 ' + (TOP + SIZE / 2) + ') rotate(-90)',
                                    'text-anchor': 'middle', fill: '#222222' }, yTitle));
    extra.forEach(function (line, k) {
      svg.appendChild(svgEl('text', { 'class': 'fit-line', x: LEFT, y: TOP + SIZE + 50 + 15 * k, fill: '#222222' }, line));
    });
    // The points: one path for each side of the diagonal, a circle for each case (thousands
    // of circle elements would make a large run's plots slow to draw).
    var counts = { ab: 0, be: 0, ti: 0 };
    var shapes = { ab: [], be: [], ti: [] };
    var where = new Array(xs.length);
    for (var i = 0; i < xs.length; i++) {
      var side = ys[i] > xs[i] ? 'ab' : ys[i] < xs[i] ? 'be' : 'ti';
      counts[side]++;
      var x = sx(xs[i]), y = sy(ys[i]);
      where[i] = [x, y];
      shapes[side].push('M' + tenths(x - radii[i]) + ',' + tenths(y) + arcs[i]);
    }
    var points = svgEl('g', { 'class': 'points', 'fill-opacity': 0.55, 'stroke-width': 0.6 });
    ['ti', 'be', 'ab'].forEach(function (side) {
      if (shapes[side].length) {
        points.appendChild(svgEl('path', { 'class': side, d: shapes[side].join(''), fill: COLOURS[side][0],
                                           stroke: COLOURS[side][1] }));
      }
    });
    svg.appendChild(points);
    svg.setAttribute('data-points', String(xs.length));
    svg.morvitPoints = where;
    svg.morvitBlock = block;
    svg.morvitKind = kind;
    if (labelsBox.checked) addLabels(svg);
    return { svg: svg, counts: counts };
  }

  // Every point labelled with its case's name (its number when it has none).
  function addLabels(svg) {
    if (svg.querySelector('g.labels')) return;
    var group = svgEl('g', { 'class': 'labels', 'font-size': 9, fill: '#333333' });
    svg.morvitPoints.forEach(function (at, i) {
      // Right of the point, or left of it in the right part of the frame.
      var left = at[0] > LEFT + SIZE * 0.7;
      group.appendChild(svgEl('text', { x: (left ? at[0] - radii[i] - 1 : at[0] + radii[i] + 1).toFixed(1),
                                        y: (at[1] + 3).toFixed(1), 'text-anchor': left ? 'end' : null },
                              data.names && data.names[i] ? data.names[i] : String(data.case[i])));
    });
    svg.appendChild(group);
  }
  function switchLabels() {
    var svgs = document.querySelectorAll('.plot svg');
    for (var i = 0; i < svgs.length; i++) {
      if (labelsBox.checked) {
        addLabels(svgs[i]);
      } else {
        var group = svgs[i].querySelector('g.labels');
        if (group) svgs[i].removeChild(group);
      }
    }
  }

  function zTicks() {
    var step = zRange[1] - zRange[0] > 5 ? 1 : 0.5, ticks = [];
    for (var t = Math.ceil(zRange[0] / step) * step; t <= zRange[1]; t += step) ticks.push(t);
    return ticks;
  }

  // The SVG file of a plot: the element as it stands, with its namespace.
  function svgText(svg) {
    return '<?xml version="1.0" encoding="UTF-8"?>\n' + new XMLSerializer().serializeToString(svg);
  }
  function saveLink(svg, name) {
    var link = el('a', { 'class': 'save', href: '#', download: name }, 'save as SVG');
    link.addEventListener('click', function () {
      if (link.morvitUrl) URL.revokeObjectURL(link.morvitUrl);
      link.morvitUrl = URL.createObjectURL(new Blob([svgText(svg)], { type: 'image/svg+xml' }));
      link.href = link.morvitUrl;
    });
    return link;
  }

  function figure(made, caption, fileName) {
    return el('figure', null, [made.svg, el('figcaption', null, [caption, ' ', saveLink(made.svg, fileName)])]);
  }

  // data-plots: the number of blocks whose plots stand in the page.
  function countPlots() {
    root.setAttribute('data-plots', String(plotList.querySelectorAll('.plot[data-drawn]').length));
  }

  function drawBlock(details) {
    var target = details.querySelector('.plot');
    if (target.getAttribute('data-drawn')) return;
    var bi = Number(details.getAttribute('data-index'));
    var block = blocks[bi], label = block.b;
    var title = blockLabel(label);
    var zm = zMembership(label), sm = setMembership(label);
    var zPlot = plot('z', label, zm, data.z[0], zRange[0], zRange[1], zTicks(),
                     'membership in ' + title + ', z-score', outcomeName + ', z-score', [], false);
    var f = block.f;
    var mPlot = plot('m', label, sm, data.x[0].map(clamp), 0, 1, [0, 0.25, 0.5, 0.75, 1],
                     'membership in ' + title, 'membership in ' + outcomeName,
                     ['sufficiency: consistency ' + measure(f[0]) + ', coverage ' + measure(f[1]) + ', PRI ' + measure(f[4]),
                      'necessity: consistency ' + measure(f[2]) + ', coverage ' + measure(f[3]) + ', RoN ' + measure(f[5]),
                      'coincidence ' + measure(f[6])], true);
    zPlot.svg.morvitMemberships = mPlot.svg.morvitMemberships = [zm, sm];
    var rows = el('tbody');
    for (var r = 0; r < block.r.length; r++) rows.appendChild(rowElement(bi, r, false, 0, true));
    var heads = ['hypothesis', 'SSD', 'DF', 'MSD', 'F', 'P', 'critical MER', 'against', 'reading'].map(
      function (text) { return el('th', null, text); });
    var counts = zPlot.counts;
    var list = el('ul', { 'class': 'counts' }, [
      el('li', null, [el('span', { 'class': 'dot ab' }), ' above the diagonal: ' + counts.ab + ' (against NECESSARY)']),
      el('li', null, [el('span', { 'class': 'dot be' }), ' below the diagonal: ' + counts.be + ' (against SUFFICIENT)']),
      el('li', null, [el('span', { 'class': 'dot ti' }), ' on the diagonal: ' + counts.ti]),
      el('li', null, 'in z-scores; in memberships ' + mPlot.counts.ab + ' above, ' + mPlot.counts.be + ' below, ' +
                     mPlot.counts.ti + ' on it')
    ]);
    if (data.case.length < data.cases) {
      list.appendChild(el('li', null, 'drawn: ' + data.case.length.toLocaleString('en') + ' of ' +
                                      data.cases.toLocaleString('en') + ' cases'));
    }
    add(target, [figure(zPlot, 'z-scores, as the table tests them.', 'morvit-' + label + '-zscores.svg'),
                 figure(mPlot, 'memberships, as read.', 'morvit-' + label + '-memberships.svg'),
                 el('div', { 'class': 'rows' }, [el('table', null, [el('thead', null, el('tr', null, heads)), rows]), list])]);
    target.setAttribute('data-drawn', '1');
    countPlots();
  }

  function dropBlock(details) {
    var target = details.querySelector('.plot');
    if (!target.getAttribute('data-drawn')) return;
    clear(target);
    target.removeAttribute('data-drawn');
    countPlots();
  }

  // One tooltip for every point: the case nearest the pointer, when it is on its circle.
  function caseAt(svg, event) {
    var matrix = svg.getScreenCTM();
    if (!matrix || !svg.morvitPoints) return -1;
    var at = new DOMPoint(event.clientX, event.clientY).matrixTransform(matrix.inverse());
    var best = -1, bestDistance = Infinity;
    svg.morvitPoints.forEach(function (point, i) {
      var dx = point[0] - at.x, dy = point[1] - at.y, distance = dx * dx + dy * dy;
      var reach = Math.max(radii[i] + 1.5, 4);
      if (distance <= reach * reach && distance < bestDistance) { best = i; bestDistance = distance; }
    });
    return best;
  }
  function showTip(event) {
    var svg = event.target.closest ? event.target.closest('svg') : null;
    var i = svg ? caseAt(svg, event) : -1;
    if (i < 0) {
      tip.hidden = true;
      return;
    }
    var block = svg.morvitBlock;
    var name = data.names ? data.names[i] : '';
    var lines = [(name ? name + ' (case ' + data.case[i] + ')' : 'case ' + data.case[i]),
                 outcomeName + ': ' + shortNumber(data.x[0][i], 4) + ', z ' + shortNumber(data.z[0][i], 3)];
    if (block.length === 1) {
      var column = block.charCodeAt(0) - 64;
      lines.push(block + ': ' + shortNumber(data.x[column][i], 4) + ', z ' + shortNumber(data.z[column][i], 3));
    } else {
      var memberships = svg.morvitMemberships;
      lines.push(block + ': ' + shortNumber(memberships[1][i], 4) + ', z ' + shortNumber(memberships[0][i], 3));
    }
    lines.push('weight ' + shortNumber(data.w[i], 4));
    tip.textContent = lines.join('\n');
    tip.hidden = false;
    tip.style.left = (event.clientX + 14) + 'px';
    tip.style.top = (event.clientY + 10) + 'px';
  }

  // ---- Addresses, events, start ---------------------------------------------------------

  function openFromAddress() {
    var hash = location.hash.slice(1);
    if (hash.indexOf('p-') !== 0) return;
    var label = decodeURIComponent(hash.slice(2));
    var bi = -1;
    for (var b = 0; b < blocks.length; b++) if (blocks[b].b === label) bi = b;
    if (bi < 0) return;
    if (shown.indexOf(bi) < 0) {
      for (var i = 0; i < boxes.length; i++) boxes[i].checked = false;
      sizeSelect.value = 'all';
      applyFilter();
    }
    var at = Math.floor(shown.indexOf(bi) / data.page);
    opened[label] = true;
    if (at !== page) {
      page = at;
      render();
    }
    var details = document.getElementById('p-' + label);
    if (details) {
      details.open = true;
      drawBlock(details);
      details.scrollIntoView();
    }
  }

  alphaSelect.addEventListener('change', classifyAll);
  merInput.addEventListener('input', classifyAll);
  labelsBox.addEventListener('change', switchLabels);
  sizeSelect.addEventListener('change', applyFilter);
  for (var b = 0; b < boxes.length; b++) boxes[b].addEventListener('change', applyFilter);
  for (var p = 0; p < pagers.length; p++) {
    pagers[p].addEventListener('click', function (event) {
      var step = event.target.getAttribute && event.target.getAttribute('data-step');
      if (step) turn(Number(step));
    });
  }
  document.addEventListener('toggle', function (event) {
    var details = event.target;
    if (details.tagName !== 'DETAILS' || !details.hasAttribute('data-index')) return;
    opened[details.getAttribute('data-block')] = details.open;
    if (details.open) drawBlock(details); else dropBlock(details);
  }, true);
  plotList.addEventListener('mousemove', showTip);
  plotList.addEventListener('mouseout', function () { tip.hidden = true; });
  window.addEventListener('hashchange', openFromAddress);

  if (settings.open !== undefined) {
    // The block alone, opened: its factors ticked and its number of factors chosen.
    for (var t = 0; t < boxes.length; t++) boxes[t].checked = settings.open.indexOf(boxes[t].value) >= 0;
    sizeSelect.value = String(settings.open.length);
    opened = {};
    opened[settings.open] = true;
  }
  applyFilter();
  openFromAddress();
  document.body.getBoundingClientRect();  // the first layout belongs to the time until ready
  root.setAttribute('data-ready-ms', performance.now().toFixed(0));
  root.setAttribute('data-state', 'ready');

  // ---- Test hooks -------------------------------------------------------------------------

  if (hooks['test-svg']) {
    var svg = document.querySelector('.plot svg');
    var link = svg && svg.parentNode.querySelector('a.save');
    if (link) {
      link.dispatchEvent(new MouseEvent('click', { cancelable: true }));
      var text = el('pre', { id: 'svg-text', hidden: '' }, svgText(svg));
      document.body.appendChild(text);
      // The pointer on the first case: the tooltip names it.
      var at = new DOMPoint(svg.morvitPoints[0][0], svg.morvitPoints[0][1]).matrixTransform(svg.getScreenCTM());
      svg.dispatchEvent(new MouseEvent('mousemove', { clientX: at.x, clientY: at.y, bubbles: true }));
    }
  }
  if (hooks['bench-open']) {
    // Every block in turn: its page shown, the block opened (its plots drawn and laid out)
    // and closed again.
    var times = [], draws = [], slowestBlock = '', slowest = 0, turns = [];
    for (var k = 0; k < blocks.length; k++) {
      if (blocks[k].b === 'NONE') continue;
      var start = performance.now();
      var want = Math.floor(shown.indexOf(k) / data.page);
      if (want !== page) {
        page = want;
        render();
        document.body.getBoundingClientRect();
        turns.push(performance.now() - start);
        start = performance.now();
      }
      var details = document.getElementById('p-' + blocks[k].b);
      details.open = true;
      drawBlock(details);
      var drawn = performance.now();
      document.body.getBoundingClientRect();  // style and layout of the drawn plots
      var spent = performance.now() - start;
      times.push(spent);
      draws.push(drawn - start);
      if (spent > slowest) { slowest = spent; slowestBlock = blocks[k].b; }
      details.open = false;
      opened[blocks[k].b] = false;
      dropBlock(details);
    }
    var sorted = times.slice().sort(function (a, b) { return a - b; });
    var sum = times.reduce(function (a, b) { return a + b; }, 0);
    root.setAttribute('data-open-count', String(times.length));
    root.setAttribute('data-open-slowest-ms', slowest.toFixed(1));
    root.setAttribute('data-open-slowest-block', slowestBlock);
    root.setAttribute('data-open-median-ms', sorted[Math.floor(sorted.length / 2)].toFixed(1));
    root.setAttribute('data-open-p99-ms', sorted[Math.floor(sorted.length * 0.99)].toFixed(1));
    root.setAttribute('data-open-over-100ms', String(times.filter(function (t) { return t > 100; }).length));
    root.setAttribute('data-open-total-ms', sum.toFixed(0));
    draws.sort(function (a, b) { return a - b; });
    root.setAttribute('data-open-draw-median-ms', draws[Math.floor(draws.length / 2)].toFixed(1));
    root.setAttribute('data-open-draw-slowest-ms', draws[draws.length - 1].toFixed(1));
    root.setAttribute('data-page-turns', String(turns.length));
    root.setAttribute('data-page-turn-slowest-ms', turns.length ? Math.max.apply(null, turns).toFixed(1) : '0');
    root.setAttribute('data-open-done', '1');
  }
})();
