// MORVIT's HTML page: the X-Y plots. Embedded byte for byte in every page after
// page_logic.js (see embed_page_assets.cmake). Every element is built with DOM calls
// (createElement, textContent, setAttribute): no text of the run is ever parsed as markup.
// Keep this file free of the sequence "</" + "script".
//
// MorvitDom: building elements. MorvitPlots: a block's two plots (z-scores and memberships)
// drawn at the width they have, with labels placed where they overlap nothing, one tooltip
// for every point, and the SVG file of a plot.
var MorvitDom = (function () {
  'use strict';
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
  return {
    SVG: SVG,
    add: add,
    el: function (tag, attributes, children) { return put(document.createElement(tag), attributes, children); },
    svgEl: function (tag, attributes, children) { return put(document.createElementNS(SVG, tag), attributes, children); },
    clear: function (node) { while (node.firstChild) node.removeChild(node.firstChild); }
  };
})();

var MorvitPlots = (function () {
  'use strict';
  var L = MorvitLogic, D = MorvitDom;
  var COLOURS = { ab: ['#e66101', '#a04000'], be: ['#2166ac', '#14406b'], ti: ['#888888', '#555555'] };
  var FONT = 'DejaVu Sans, Verdana, Arial, sans-serif';
  var TICK = 12, TITLE = 13, LABEL = 12;   // font sizes, pixels
  var LEFT = 58, RIGHT = 18, LEAST = 400, MOST = 520, GAP = 24;

  var data = null, outcomeName = 'outcome', named = false;
  var radii = [], arcs = [], zRange = [0, 1], labelsOn = false, tip = null;

  // The width of a text in the plots' font, for laying out keys, titles and labels.
  var measurer = null, measuredSize = 0, widths = new Map();
  function textWidth(text, size) {
    var key = size + ' ' + text, known = widths.get(key);
    if (known !== undefined) return known;
    if (!measurer) measurer = document.createElement('canvas').getContext('2d');
    if (size !== measuredSize) {
      measurer.font = size + 'px ' + FONT;
      measuredSize = size;
    }
    var width = measurer.measureText(text).width;
    widths.set(key, width);
    return width;
  }

  function setup(runData, tooltip) {
    data = runData;
    // Scores that JSON has no number for come as texts ("NaN"): numbers from here on.
    ['x', 'z'].forEach(function (what) {
      data[what] = data[what].map(function (column) { return column.map(L.num); });
    });
    tip = tooltip;
    named = data.factors.some(function (name) { return name; });
    outcomeName = data.outcome ? data.outcome : 'outcome';
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
    zRange = [low - pad, high + pad];
    data.w.forEach(function (weight) { if (L.num(weight) > heaviest) heaviest = L.num(weight); });
    radii = data.w.map(function (weight) {
      weight = L.num(weight);
      return 2.5 + 4 * Math.sqrt(weight > 0 ? weight / heaviest : 0);
    });
    // A point's circle as two arcs from its leftmost point, the same in every plot.
    arcs = radii.map(function (r) {
      var radius = tenths(r), span = tenths(2 * r);
      return 'a' + radius + ',' + radius + ' 0 1,0 ' + span + ',0a' + radius + ',' + radius + ' 0 1,0 ' + -span + ',0';
    });
  }

  function clamp(value) { return value < 0 ? 0 : value > 1 ? 1 : value; }
  function tenths(value) { return Math.round(value * 10) / 10; }

  // The cases as drawn in a block's plots, across: in z-scores the smallest of its factors'
  // z-scores, in memberships the smallest of its factors' memberships within 0 to 1. Where
  // a point stands decides only where it is drawn; what the table counts comes from the run.
  function across(block, columns) {
    var picked = [];
    for (var k = 0; k < block.length; k++) picked.push(columns[block.charCodeAt(k) - 64]);
    var result = new Array(data.case.length);
    for (var i = 0; i < result.length; i++) {
      var value = picked[0][i];
      for (var c = 1; c < picked.length; c++) if (picked[c][i] < value) value = picked[c][i];
      result[i] = value;
    }
    return result;
  }

  function caseName(i) {
    var name = data.names ? data.names[i] : '';
    return name ? name : String(data.case[i]);
  }

  // A block's label with its names when they fit across a plot of `width`.
  function blockTitle(block, width, tail) {
    var names = L.blockNames(data, block);
    var full = names ? block + ' (' + names + ')' + tail : block + tail;
    return textWidth(full, TITLE) <= width ? full : block + tail;
  }

  // Lines of at most `width` pixels from the parts of a text (the parts stay whole).
  function wrap(parts, width, size) {
    var lines = [], line = '';
    parts.forEach(function (part) {
      var longer = line ? line + ', ' + part : part;
      if (line && textWidth(longer, size) > width) {
        lines.push(line + ',');
        line = part;
      } else {
        line = longer;
      }
    });
    if (line) lines.push(line);
    return lines;
  }

  // A plot `width` pixels wide of `ys` (up) against `xs` (across) over [lo, hi] on both
  // axes: grid, frame, diagonal, the key above the frame, the axis titles below and left,
  // one circle a case, and `extra` lines of text under the axis title.
  function plot(kind, block, xs, ys, lo, hi, ticks, xTitle, yTitle, extra, halves, width) {
    var size = width - LEFT - RIGHT;
    // The key on one line when it fits, else on two.
    var keys = [['ab', 'above: against NECESSARY'], ['be', 'below: against SUFFICIENT']];
    var oneLine = 14 + textWidth(keys[0][1], TICK) + 24 + textWidth(keys[1][1], TICK) <= size;
    var top = oneLine ? 30 : 48;
    var lines = [];
    extra.forEach(function (parts) { lines = lines.concat(wrap(parts, width - 8, TITLE)); });
    var bottom = 48 + 18 * lines.length;
    var height = top + size + bottom;
    function sx(v) { return LEFT + (v - lo) / (hi - lo) * size; }
    function sy(v) { return top + (hi - v) / (hi - lo) * size; }
    var svg = D.svgEl('svg', { xmlns: D.SVG, width: width, height: height, viewBox: '0 0 ' + width + ' ' + height,
                               role: 'img', 'aria-label': L.xmlText(yTitle + ' against ' + xTitle),
                               'font-family': FONT, 'font-size': TICK, 'class': 'chart-' + kind });
    svg.appendChild(D.svgEl('rect', { x: 0, y: 0, width: width, height: height, fill: '#ffffff' }));
    ticks.forEach(function (t) {
      var label = String(Number(t.toFixed(2)));
      svg.appendChild(D.svgEl('line', { x1: sx(t), x2: sx(t), y1: top, y2: top + size, stroke: '#eeeeee' }));
      svg.appendChild(D.svgEl('line', { y1: sy(t), y2: sy(t), x1: LEFT, x2: LEFT + size, stroke: '#eeeeee' }));
      svg.appendChild(D.svgEl('text', { x: sx(t), y: top + size + 16, 'text-anchor': 'middle', fill: '#444444' }, label));
      svg.appendChild(D.svgEl('text', { x: LEFT - 6, y: sy(t) + 4, 'text-anchor': 'end', fill: '#444444' }, label));
    });
    if (halves) {
      var dash = { stroke: '#999999', 'stroke-dasharray': '2 3', 'class': 'half' };
      svg.appendChild(D.svgEl('line', Object.assign({ x1: sx(0.5), x2: sx(0.5), y1: top, y2: top + size }, dash)));
      svg.appendChild(D.svgEl('line', Object.assign({ y1: sy(0.5), y2: sy(0.5), x1: LEFT, x2: LEFT + size }, dash)));
    }
    svg.appendChild(D.svgEl('rect', { x: LEFT, y: top, width: size, height: size, fill: 'none', stroke: '#888888' }));
    svg.appendChild(D.svgEl('line', { 'class': 'diagonal', x1: sx(lo), y1: sy(lo), x2: sx(hi), y2: sy(hi),
                                      stroke: '#333333', 'stroke-width': 1.2, 'stroke-dasharray': '5 3' }));
    // The key, above the frame: nothing is written over the data.
    var keyX = LEFT, keyY = 16;
    keys.forEach(function (key) {
      svg.appendChild(D.svgEl('circle', { cx: keyX + 5, cy: keyY - 4, r: 4.5, fill: COLOURS[key[0]][0] }));
      svg.appendChild(D.svgEl('text', { x: keyX + 14, y: keyY, fill: '#444444' }, key[1]));
      if (oneLine) keyX += 14 + textWidth(key[1], TICK) + 24; else keyY += 18;
    });
    svg.appendChild(D.svgEl('text', { x: LEFT + size / 2, y: top + size + 36, 'text-anchor': 'middle', fill: '#222222',
                                      'font-size': TITLE }, L.xmlText(xTitle)));
    svg.appendChild(D.svgEl('text', { transform: 'translate(16 ' + (top + size / 2) + ') rotate(-90)',
                                      'text-anchor': 'middle', fill: '#222222', 'font-size': TITLE }, L.xmlText(yTitle)));
    lines.forEach(function (line, k) {
      svg.appendChild(D.svgEl('text', { 'class': 'fit-line', x: 4, y: top + size + 60 + 18 * k, fill: '#222222',
                                        'font-size': TITLE }, line));
    });
    // The points: one path for each side of the diagonal as drawn, a circle for each case
    // (thousands of circle elements would make a large run's plots slow to draw).
    var shapes = { ab: [], be: [], ti: [] };
    var where = new Array(xs.length);
    for (var i = 0; i < xs.length; i++) {
      var side = ys[i] > xs[i] ? 'ab' : ys[i] < xs[i] ? 'be' : 'ti';
      var x = sx(xs[i]), y = sy(ys[i]), r = radii[i];
      where[i] = [x, y, r];
      shapes[side].push('M' + tenths(x - r) + ',' + tenths(y) + arcs[i]);
    }
    var points = D.svgEl('g', { 'class': 'points', 'fill-opacity': 0.55, 'stroke-width': 0.6 });
    ['ti', 'be', 'ab'].forEach(function (side) {
      if (shapes[side].length) {
        points.appendChild(D.svgEl('path', { 'class': side, d: shapes[side].join(''), fill: COLOURS[side][0],
                                             stroke: COLOURS[side][1] }));
      }
    });
    svg.appendChild(points);
    svg.setAttribute('data-points', String(xs.length));
    svg.morvitPoints = where;
    svg.morvitFrame = [LEFT, top, LEFT + size, top + size];
    svg.morvitAxes = [xs, ys];
    svg.morvitBlock = block;
    if (labelsOn) addLabels(svg);
    return svg;
  }

  // The cases in the order their labels are placed: the farthest from the diagonal first.
  function farthestFirst(xs, ys) {
    var order = xs.map(function (x, i) { return i; });
    order.sort(function (a, b) {
      var da = Math.abs(ys[a] - xs[a]), db = Math.abs(ys[b] - xs[b]);
      return da !== db ? (da > db ? -1 : 1) : a - b;
    });
    return order;
  }

  // The points labelled with their cases' names (their numbers when they have none), each
  // where it overlaps no other label and no point, inside the frame; the rest unlabelled.
  function addLabels(svg) {
    if (svg.querySelector('g.labels')) return;
    var texts = svg.morvitPoints.map(function (point, i) { return L.xmlText(caseName(i)); });
    var sizes = texts.map(function (text) { return [textWidth(text, LABEL), LABEL * 1.2]; });
    var order = farthestFirst(svg.morvitAxes[0], svg.morvitAxes[1]);
    var placed = L.placeLabels(svg.morvitPoints, sizes, svg.morvitFrame, order);
    var group = D.svgEl('g', { 'class': 'labels', 'font-size': LABEL, fill: '#333333' });
    var count = 0;
    placed.forEach(function (at, i) {
      if (!at) return;
      count++;
      group.appendChild(D.svgEl('text', { x: at[0].toFixed(1), y: at[1].toFixed(1),
                                          'text-anchor': at[2] === 'end' ? 'end' : null }, texts[i]));
    });
    group.setAttribute('data-labelled', String(count));
    svg.appendChild(group);
  }

  function switchLabels(on) {
    labelsOn = on;
    var svgs = document.querySelectorAll('.plot svg');
    for (var i = 0; i < svgs.length; i++) {
      if (on) {
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

  // The SVG file of a plot: the element as it stands, with its namespace, as XML that
  // parses whatever the names hold.
  function svgText(svg) {
    return '<?xml version="1.0" encoding="UTF-8"?>\n' + L.xmlText(new XMLSerializer().serializeToString(svg));
  }
  function saveLink(svg, name) {
    var link = D.el('a', { 'class': 'save', href: '#', download: name }, 'save as SVG');
    link.addEventListener('click', function () {
      if (link.morvitUrl) URL.revokeObjectURL(link.morvitUrl);
      link.morvitUrl = URL.createObjectURL(new Blob([svgText(svg)], { type: 'image/svg+xml' }));
      link.href = link.morvitUrl;
    });
    return link;
  }

  function figure(svg, caption, fileName) {
    return D.el('figure', null, [svg, D.el('figcaption', null, [caption, ' ', saveLink(svg, fileName)])]);
  }

  // The width of each plot in a space `available` pixels wide.
  function width(available) { return L.plotWidth(available, LEAST, MOST, GAP); }

  // The two figures of a block, each `plotWidth` pixels wide.
  function figures(block, plotWidth) {
    var label = block.block;
    var outcomeZ = data.z[0], outcomeX = data.x[0].map(clamp);
    var zs = across(label, data.z), xs = across(label, data.x).map(clamp);
    var frame = plotWidth - LEFT - RIGHT;
    var zPlot = plot('z', label, zs, outcomeZ, zRange[0], zRange[1], zTicks(),
                     'membership in ' + blockTitle(label, frame, ', z-score'), outcomeName + ', z-score', [], false,
                     plotWidth);
    var f = block.fit || {};
    var mPlot = plot('m', label, xs, outcomeX, 0, 1, [0, 0.25, 0.5, 0.75, 1],
                     'membership in ' + blockTitle(label, frame, ''), 'membership in ' + outcomeName,
                     [['sufficiency: consistency ' + L.measureText(L.num(f.cons_suf)), 'coverage ' +
                       L.measureText(L.num(f.cov_suf)), 'PRI ' + L.measureText(L.num(f.pri))],
                      ['necessity: consistency ' + L.measureText(L.num(f.cons_nec)), 'coverage ' +
                       L.measureText(L.num(f.cov_nec)), 'RoN ' + L.measureText(L.num(f.ron))],
                      ['coincidence ' + L.measureText(L.num(f.coincidence))]], true, plotWidth);
    zPlot.morvitAcross = [zs, xs];
    mPlot.morvitAcross = [zs, xs];
    return [figure(zPlot, 'z-scores, as the table tests them.', 'morvit-' + label + '-zscores.svg'),
            figure(mPlot, 'memberships, as read.', 'morvit-' + label + '-memberships.svg')];
  }

  // One tooltip for every point: every case whose circle is under the pointer, the
  // nearest first.
  function casesAt(svg, event) {
    var matrix = svg.getScreenCTM();
    if (!matrix || !svg.morvitPoints) return [];
    var at = new DOMPoint(event.clientX, event.clientY).matrixTransform(matrix.inverse());
    var found = [];
    svg.morvitPoints.forEach(function (point, i) {
      var dx = point[0] - at.x, dy = point[1] - at.y, distance = dx * dx + dy * dy;
      var reach = Math.max(point[2] + 1.5, 5);
      if (distance <= reach * reach) found.push([distance, i]);
    });
    found.sort(function (a, b) { return a[0] - b[0] || a[1] - b[1]; });
    return found.map(function (item) { return item[1]; });
  }
  var TIP_CASES = 6;
  function showTip(event) {
    var svg = event.target.closest ? event.target.closest('svg') : null;
    var cases = svg ? casesAt(svg, event) : [];
    if (!cases.length) {
      tip.hidden = true;
      return;
    }
    var block = svg.morvitBlock, lines = [];
    cases.slice(0, TIP_CASES).forEach(function (i, k) {
      var name = data.names ? data.names[i] : '';
      if (k > 0) lines.push('');
      lines.push(name ? name + ' (case ' + data.case[i] + ')' : 'case ' + data.case[i]);
      lines.push(outcomeName + ': ' + L.shortNumber(L.num(data.x[0][i]), 4) + ', z ' +
                 L.shortNumber(L.num(data.z[0][i]), 3));
      lines.push(block + ': ' + L.shortNumber(svg.morvitAcross[1][i], 4) + ', z ' +
                 L.shortNumber(svg.morvitAcross[0][i], 3));
      lines.push('weight ' + L.shortNumber(L.num(data.w[i]), 4));
    });
    if (cases.length > TIP_CASES) {
      lines.push('');
      lines.push('and ' + (cases.length - TIP_CASES) + ' more here: ' +
                 cases.slice(TIP_CASES).map(function (i) { return caseName(i); }).join(', '));
    }
    tip.textContent = lines.join('\n');
    tip.hidden = false;
    var left = event.clientX + 14, topAt = event.clientY + 10;
    tip.style.left = Math.max(0, Math.min(left, window.innerWidth - tip.offsetWidth - 4)) + 'px';
    tip.style.top = (topAt + tip.offsetHeight > window.innerHeight ? Math.max(0, event.clientY - tip.offsetHeight - 10)
                                                                     : topAt) + 'px';
  }

  return {
    setup: setup,
    width: width,
    figures: figures,
    switchLabels: switchLabels,
    showTip: showTip,
    svgText: svgText
  };
})();
