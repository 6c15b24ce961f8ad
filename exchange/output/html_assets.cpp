#include "exchange/output/html_assets.h"

namespace morvit {

std::string_view page_error_recorder() {
  return R"JS(
(function () {
  var root = document.documentElement;
  window.addEventListener('error', function (event) {
    var text = (event.message || 'script error') + (event.lineno ? ' (line ' + event.lineno + ')' : '');
    var before = root.getAttribute('data-script-errors');
    root.setAttribute('data-script-errors', before ? before + '; ' + text : text);
  });
})();
)JS";
}

std::string_view page_style() {
  return R"CSS(
body { font-family: system-ui, -apple-system, "Segoe UI", Roboto, "DejaVu Sans", sans-serif; margin: 0;
  color: #1a1a1a; background: #fff; line-height: 1.4; }
header { background: #24344d; color: #fff; padding: 0.6em 1.2em; display: flex; align-items: baseline;
  gap: 2em; flex-wrap: wrap; }
header h1 { font-size: 1.3em; margin: 0; font-weight: 600; }
header nav a { color: #cfe0ff; margin-right: 1.2em; }
main { padding: 0 1.2em 2em; max-width: 84em; }
h2 { font-size: 1.15em; margin: 1.4em 0 0.5em; border-bottom: 1px solid #ccd; }
pre { background: #f5f5f0; padding: 0.5em 0.8em; overflow-x: auto; }
#summary .side { display: flex; gap: 3em; flex-wrap: wrap; align-items: flex-start; }
table.summary th { text-align: left; font-weight: normal; padding-right: 1.5em; }
table.summary td { font-variant-numeric: tabular-nums; text-align: right; }
table.legend caption { text-align: left; font-weight: 600; }
table.legend td { padding: 0 1em 0 0; }
.notice { background: #fff3cd; padding: 0.8em; border: 1px solid #e0c060; }
.reading { max-width: 60em; }
.key { padding: 0 0.3em; border-radius: 3px; }
#filter { border: 1px solid #ccd; margin: 0.8em 0; }
#filter label { margin-right: 1.2em; white-space: nowrap; }
#shown { color: #555; }
table.fit-table { border-collapse: collapse; font-variant-numeric: tabular-nums; }
.fit-table thead th { position: sticky; top: 0; background: #e8ecf3; }
.fit-table th, .fit-table td { padding: 0.1em 0.6em; border-bottom: 1px solid #e4e4e4; }
.fit-table td { text-align: right; }
.fit-table tbody th { text-align: right; font-weight: 600; }
.fit-table tbody { border-top: 2px solid #b8c0cc; }
.fit-table td.nm, .fit-table td.hy { text-align: left; }
.fit-table td.nm { max-width: 22em; overflow-wrap: anywhere; color: #333; vertical-align: top; }
td.v { text-align: left; font-size: 0.9em; }
tr.fit td, .fit.key { background: #dff0d8; }
tr.rej td, .rej.key { background: #fbe3e0; }
tr.closer td, .closer.key { background: #e3e8f8; }
tr.fit td.v { color: #2a6b2a; font-weight: 600; }
tr.rej td.v { color: #9b2c20; }
tr.om td { color: #888; font-style: italic; }
tr.om td.note { text-align: left; }
tr.base td { background: #f3f3f3; }
.fit-table tr td.nm { background: #fff; }
details { border: 1px solid #dde; margin: 0.3em 0; border-radius: 4px; }
details > summary { padding: 0.3em 0.6em; cursor: pointer; }
details[open] > summary { background: #eef1f6; }
.brief { color: #555; font-size: 0.9em; margin-left: 1em; }
.plot { display: flex; flex-wrap: wrap; gap: 1.5em; padding: 0.6em; align-items: flex-start; }
.plot svg { flex: none; background: #fff; }
.plot .rows table { border-collapse: collapse; font-variant-numeric: tabular-nums; }
.plot .rows th, .plot .rows td { padding: 0.1em 0.5em; border-bottom: 1px solid #e4e4e4; text-align: right; }
.plot .rows td.hy, .plot .rows th:first-child, .plot .rows td.v, .plot .rows th:last-child { text-align: left; }
.plot .counts { margin: 0.6em 0 0; padding-left: 0; }
svg .frame { fill: none; stroke: #888; }
svg .grid { stroke: #eee; }
svg .diagonal { stroke: #333; stroke-width: 1.2; stroke-dasharray: 5 3; }
svg text { font-size: 11px; fill: #444; font-family: inherit; }
svg text.region { fill: #777; font-size: 10px; paint-order: stroke; stroke: #fff; stroke-width: 3px; }
svg circle { fill-opacity: 0.55; stroke-width: 0.6; }
circle.ab { fill: #e66101; stroke: #a04000; }
circle.be { fill: #2166ac; stroke: #14406b; }
circle.ti { fill: #888; stroke: #555; }
.dot { display: inline-block; width: 0.7em; height: 0.7em; border-radius: 50%; opacity: 0.75; }
.dot.ab { background: #e66101; }
.dot.be { background: #2166ac; }
.dot.ti { background: #888; }
.plot .counts { list-style: none; }
)CSS";
}

std::string_view page_script() {
  return R"JS(
(function () {
  'use strict';
  var root = document.documentElement;
  var dataNode = document.getElementById('morvit-data');
  var data = dataNode ? JSON.parse(dataNode.textContent) : null;
  var alphaSelect = document.getElementById('alpha');
  var sizeSelect = document.getElementById('size');
  var shownNode = document.getElementById('shown');
  var boxes = document.querySelectorAll('#filter input[type=checkbox]');
  var plotsDrawn = 0;

  function escapeText(text) {
    return String(text).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');
  }
  function shortNumber(value, digits) {
    return value === null || value === undefined ? '?' : Number(value.toFixed(digits)).toString();
  }

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

  var range = null, heaviest = 1;
  if (data) {
    var low = Infinity, high = -Infinity;
    data.z.forEach(function (column) {
      column.forEach(function (value) {
        if (value < low) low = value;
        if (value > high) high = value;
      });
    });
    if (!isFinite(low) || !isFinite(high)) { low = 0; high = 0; }  // no case to draw
    if (!(high > low)) { low -= 1; high += 1; }
    var pad = (high - low) * 0.04;
    range = [low - pad, high + pad];
    data.w.forEach(function (weight) { if (weight > heaviest) heaviest = weight; });
  }

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
    if (!data || !target || target.getAttribute('data-drawn')) return;
    var m = membership(block);
    var y = data.z[0];
    var size = 320, left = 50, top = 12, bottom = 44, right = 14;
    var width = left + size + right, height = top + size + bottom;
    var low = range[0], high = range[1];
    function sx(v) { return (left + (v - low) / (high - low) * size).toFixed(1); }
    function sy(v) { return (top + (high - v) / (high - low) * size).toFixed(1); }
    var outcome = data.outcome ? data.outcome : 'outcome';
    var title = blockLabel(block);
    var svg = ['<svg xmlns="http://www.w3.org/2000/svg" width="' + width + '" height="' + height +
      '" viewBox="0 0 ' + width + ' ' + height + '" role="img" aria-label="' +
      escapeText(outcome + ' against ' + title) + '">'];
    var step = high - low > 5 ? 1 : 0.5;
    for (var t = Math.ceil(low / step) * step; t <= high; t += step) {
      svg.push('<line class="grid" x1="' + sx(t) + '" x2="' + sx(t) + '" y1="' + top + '" y2="' + (top + size) + '"/>');
      svg.push('<line class="grid" y1="' + sy(t) + '" y2="' + sy(t) + '" x1="' + left + '" x2="' + (left + size) + '"/>');
      svg.push('<text x="' + sx(t) + '" y="' + (top + size + 14) + '" text-anchor="middle">' + t + '</text>');
      svg.push('<text x="' + (left - 6) + '" y="' + (Number(sy(t)) + 4) + '" text-anchor="end">' + t + '</text>');
    }
    svg.push('<rect class="frame" x="' + left + '" y="' + top + '" width="' + size + '" height="' + size + '"/>');
    svg.push('<line class="diagonal" x1="' + sx(low) + '" y1="' + sy(low) + '" x2="' + sx(high) + '" y2="' + sy(high) + '"/>');
    svg.push('<text x="' + (left + size / 2) + '" y="' + (height - 6) + '" text-anchor="middle">' +
      escapeText('membership in ' + title + ', z-score') + '</text>');
    svg.push('<text transform="translate(14 ' + (top + size / 2) + ') rotate(-90)" text-anchor="middle">' +
      escapeText(outcome + ', z-score') + '</text>');
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
      svg.push('<circle class="' + kind + '" cx="' + sx(m[i]) + '" cy="' + sy(y[i]) + '" r="' + radius.toFixed(1) +
        '"><title>' + escapeText(label) + '</title></circle>');
    }
    // The corner labels over the points, so that dense plots do not hide them.
    svg.push('<text class="region" x="' + (left + 6) + '" y="' + (top + 14) + '">outcome above: against NECESSARY</text>');
    svg.push('<text class="region" x="' + (left + size - 6) + '" y="' + (top + size - 8) +
      '" text-anchor="end">outcome below: against SUFFICIENT</text>');
    svg.push('</svg>');

    var rows = ['<div class="rows"><table><thead><tr><th>hypothesis</th><th>SSD</th><th>DF</th><th>MSD</th>' +
      '<th>F</th><th>P</th><th>reading</th></tr></thead><tbody></tbody></table><ul class="counts">' +
      '<li><span class="dot ab"></span> above the diagonal: ' + counts.ab + ' (against NECESSARY)</li>' +
      '<li><span class="dot be"></span> below the diagonal: ' + counts.be + ' (against SUFFICIENT)</li>' +
      '<li><span class="dot ti"></span> on the diagonal: ' + counts.ti + '</li>' +
      (data.case.length < data.cases ? '<li>drawn: ' + data.case.length.toLocaleString('en') + ' of ' +
        data.cases.toLocaleString('en') + ' cases</li>' : '') +
      '</ul></div>'];
    target.innerHTML = svg.join('') + rows.join('');
    var body = target.querySelector('.rows tbody');
    var source = document.getElementById('t-' + block);
    if (source) {
      Array.prototype.forEach.call(source.rows, function (row) {
        var copy = row.cloneNode(true);
        var remove = copy.querySelectorAll('th, td.nm');
        for (var r = 0; r < remove.length; r++) copy.removeChild(remove[r]);
        body.appendChild(copy);
      });
    }
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
)JS";
}

}  // namespace morvit
