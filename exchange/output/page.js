
// MORVIT's HTML page: the script. Embedded byte for byte in every page (see
// embed_page_assets.cmake) and allowed by its hash in the page's Content-Security-Policy.
// Every element is built with DOM calls (createElement, textContent, setAttribute): no text
// of the run is ever parsed as markup. Keep this file free of the sequence "</" + "script".
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

  function shortNumber(value, digits) {
    return value === null || value === undefined ? '?' : Number(value.toFixed(digits)).toString();
  }

  var dataNode = document.getElementById('morvit-data');
  var data = dataNode ? JSON.parse(dataNode.textContent) : null;
  if (!data) {
    // The page of a run without a table: nothing to set up.
    root.setAttribute('data-state', 'ready');
    return;
  }

  var alphaSelect = document.getElementById('alpha');
  var sizeSelect = document.getElementById('size');
  var shownNode = document.getElementById('shown');
  var boxes = document.querySelectorAll('#filter input[type=checkbox]');
  var plotsDrawn = 0;

  // Rows whose P is at or above the level fit within measurement error.
  function classify() {
    var level = parseFloat(alphaSelect.value);
    var rows = document.querySelectorAll('tr[data-p]');
    for (var i = 0; i < rows.length; i++) {
      var row = rows[i];
      var p = parseFloat(row.getAttribute('data-p'));
      var cell = row.querySelector('td.v');
      if (row.classList.contains('cmp')) {
        var closer = p < level;
        row.classList.toggle('closer', closer);
        if (cell) cell.textContent = closer ? 'combination closer' : 'not markedly';
      } else {
        var fit = p >= level;
        row.classList.toggle('fit', fit);
        row.classList.toggle('rej', !fit);
        if (cell) cell.textContent = fit ? 'compatible' : 'rejected';
      }
    }
  }

  // Blocks that hold every ticked factor (and have the chosen number of factors).
  function applyFilter() {
    var wanted = [];
    for (var i = 0; i < boxes.length; i++) if (boxes[i].checked) wanted.push(boxes[i].value);
    var size = sizeSelect.value;
    var items = document.querySelectorAll('tbody[data-block], details[data-block]');
    var shown = 0, total = 0;
    for (var j = 0; j < items.length; j++) {
      var block = items[j].getAttribute('data-block');
      var keep = block === 'NONE' || ((size === 'all' || block.length === Number(size)) &&
        wanted.every(function (letter) { return block.indexOf(letter) >= 0; }));
      items[j].hidden = !keep;
      if (items[j].tagName === 'TBODY' && block !== 'NONE') {
        total++;
        if (keep) shown++;
      }
    }
    shownNode.textContent = shown + ' of ' + total + ' blocks shown';
  }

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
  var range = [low - pad, high + pad];
  data.w.forEach(function (weight) { if (weight > heaviest) heaviest = weight; });

  // A block with the names of its columns when they are known (for one or two factors;
  // longer lists would not fit under a plot).
  function blockLabel(block) {
    var names = [];
    for (var k = 0; k < block.length; k++) names.push(data.factors[block.charCodeAt(k) - 65] || block[k]);
    var named = data.factors.some(function (name) { return name; });
    return named && block.length <= 2 ? block + ' (' + names.join('*') + ')' : block;
  }

  // The membership of a combination: the smallest of its factors' z-scores, rounded to
  // single precision for three factors or more, as the analysis takes it.
  function membership(block) {
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

  function drawPlot(details) {
    var block = details.getAttribute('data-block');
    var target = details.querySelector('.plot');
    if (!target || target.getAttribute('data-drawn')) return;
    var m = membership(block);
    var y = data.z[0];
    var size = 320, left = 50, top = 12, bottom = 44, right = 14;
    var width = left + size + right, height = top + size + bottom;
    var low = range[0], high = range[1];
    function sx(v) { return (left + (v - low) / (high - low) * size).toFixed(1); }
    function sy(v) { return (top + (high - v) / (high - low) * size).toFixed(1); }
    var outcome = data.outcome ? data.outcome : 'outcome';
    var title = blockLabel(block);
    var svg = svgEl('svg', { width: width, height: height, viewBox: '0 0 ' + width + ' ' + height, role: 'img',
                             'aria-label': outcome + ' against ' + title });
    var step = high - low > 5 ? 1 : 0.5;
    for (var t = Math.ceil(low / step) * step; t <= high; t += step) {
      svg.appendChild(svgEl('line', { 'class': 'grid', x1: sx(t), x2: sx(t), y1: top, y2: top + size }));
      svg.appendChild(svgEl('line', { 'class': 'grid', y1: sy(t), y2: sy(t), x1: left, x2: left + size }));
      svg.appendChild(svgEl('text', { x: sx(t), y: top + size + 14, 'text-anchor': 'middle' }, String(t)));
      svg.appendChild(svgEl('text', { x: left - 6, y: Number(sy(t)) + 4, 'text-anchor': 'end' }, String(t)));
    }
    svg.appendChild(svgEl('rect', { 'class': 'frame', x: left, y: top, width: size, height: size }));
    svg.appendChild(svgEl('line', { 'class': 'diagonal', x1: sx(low), y1: sy(low), x2: sx(high), y2: sy(high) }));
    svg.appendChild(svgEl('text', { x: left + size / 2, y: height - 6, 'text-anchor': 'middle' },
                          'membership in ' + title + ', z-score'));
    svg.appendChild(svgEl('text', { transform: 'translate(14 ' + (top + size / 2) + ') rotate(-90)',
                                    'text-anchor': 'middle' }, outcome + ', z-score'));
    var counts = { ab: 0, be: 0, ti: 0 };
    for (var i = 0; i < m.length; i++) {
      var kind = y[i] > m[i] ? 'ab' : y[i] < m[i] ? 'be' : 'ti';
      counts[kind]++;
      var weight = data.w[i];
      var radius = 2 + 4 * Math.sqrt(weight > 0 ? weight / heaviest : 0);
      var name = data.names ? data.names[i] : '';
      var label = (name ? name + ' (case ' + data.case[i] + ')' : 'case ' + data.case[i]) +
        '\n' + outcome + ': ' + shortNumber(data.x[0][i], 4) + ', z ' + shortNumber(y[i], 3) +
        '\n' + block + ': ' + (block.length === 1 ? shortNumber(data.x[block.charCodeAt(0) - 64][i], 4) + ', ' : '') +
        'z ' + shortNumber(m[i], 3) + '\nweight ' + shortNumber(weight, 4);
      svg.appendChild(svgEl('circle', { 'class': kind, cx: sx(m[i]), cy: sy(y[i]), r: radius.toFixed(1) },
                            svgEl('title', null, label)));
    }
    svg.appendChild(svgEl('text', { 'class': 'region', x: left + 6, y: top + 14 }, 'outcome above: against NECESSARY'));
    svg.appendChild(svgEl('text', { 'class': 'region', x: left + size - 6, y: top + size - 8, 'text-anchor': 'end' },
                          'outcome below: against SUFFICIENT'));

    var body = el('tbody');
    var source = document.getElementById('t-' + block);
    if (source) {
      Array.prototype.forEach.call(source.rows, function (row) {
        var copy = row.cloneNode(true);
        var remove = copy.querySelectorAll('th, td.nm');
        for (var r = 0; r < remove.length; r++) copy.removeChild(remove[r]);
        body.appendChild(copy);
      });
    }
    var heads = ['hypothesis', 'SSD', 'DF', 'MSD', 'F', 'P', 'reading'].map(function (text) { return el('th', null, text); });
    var list = el('ul', { 'class': 'counts' }, [
      el('li', null, [el('span', { 'class': 'dot ab' }), ' above the diagonal: ' + counts.ab + ' (against NECESSARY)']),
      el('li', null, [el('span', { 'class': 'dot be' }), ' below the diagonal: ' + counts.be + ' (against SUFFICIENT)']),
      el('li', null, [el('span', { 'class': 'dot ti' }), ' on the diagonal: ' + counts.ti])
    ]);
    if (data.case.length < data.cases) {
      list.appendChild(el('li', null, 'drawn: ' + data.case.length.toLocaleString('en') + ' of ' +
                                      data.cases.toLocaleString('en') + ' cases'));
    }
    target.appendChild(svg);
    target.appendChild(el('div', { 'class': 'rows' }, [el('table', null, [el('thead', null, el('tr', null, heads)), body]), list]));
    target.setAttribute('data-drawn', '1');
    plotsDrawn++;
    root.setAttribute('data-plots', String(plotsDrawn));
  }

  function openFromAddress() {
    var id = decodeURIComponent(location.hash.slice(1));
    if (id.indexOf('p-') !== 0) return;
    var details = document.getElementById(id);
    if (details) {
      details.open = true;
      drawPlot(details);
    }
  }

  alphaSelect.addEventListener('change', classify);
  sizeSelect.addEventListener('change', applyFilter);
  for (var b = 0; b < boxes.length; b++) boxes[b].addEventListener('change', applyFilter);
  document.addEventListener('toggle', function (event) {
    if (event.target.tagName === 'DETAILS' && event.target.open) drawPlot(event.target);
  }, true);
  window.addEventListener('hashchange', openFromAddress);

  classify();
  applyFilter();
  var open = document.querySelectorAll('details[data-block][open]');
  for (var o = 0; o < open.length; o++) drawPlot(open[o]);
  openFromAddress();
  root.setAttribute('data-plots', String(plotsDrawn));
  root.setAttribute('data-state', 'ready');
})();
