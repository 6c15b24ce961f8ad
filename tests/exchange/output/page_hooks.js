// Test and benchmark hooks for MORVIT's HTML page: never part of a page the program writes.
// check_html_page.py and bench/page_bench.py add this script to a copy of a page (with its
// hash in the copy's policy); it runs after the page's own scripts and does what the words
// after '#' in the address ask, leaving its results in attributes of the html element
// (data-hook-*), or in #svg-text. It works through the page's document as a reader would:
// ticking boxes, opening blocks, clicking buttons; a block opened here gets its toggle
// event at once, so that everything happens before the page is dumped.
//   labels      the points labelled
//   measure     the smallest text on the page in pixels, the table cells whose text wraps,
//               the width and places of the first block's plots, and overlaps of labels
//   test-svg    the first plot's SVG file in #svg-text, the pointer on its first case
//   bench-open  every block opened (its plots drawn and laid out) and closed in turn, and
//               every page of blocks turned, the times in data-open-* attributes
(function () {
  'use strict';
  var root = document.documentElement;
  var words = {};
  location.hash.slice(1).split(',').forEach(function (word) { words[word] = true; });
  if (root.getAttribute('data-state') !== 'ready') {
    root.setAttribute('data-hook-error', 'the page was not ready when the hooks ran');
    return;
  }
  function set(name, value) { root.setAttribute('data-hook-' + name, String(value)); }
  function toggle(details, open) {
    details.open = open;
    details.dispatchEvent(new Event('toggle'));
  }

  var box = document.getElementById('labels');  // none on the page of a run without a table
  if (words.labels && box) {
    box.checked = true;
    box.dispatchEvent(new Event('change'));
  }

  if (words.measure) {
    // The smallest text: every text node shown, at its computed size (in a plot, times the
    // plot's scale on the screen).
    var smallest = Infinity, where = '';
    var walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
    for (var node = walker.nextNode(); node; node = walker.nextNode()) {
      var parent = node.parentElement;
      if (!node.textContent.trim() || !parent || parent.closest('script, noscript, [hidden], #tip')) continue;
      if (!parent.getClientRects().length) continue;
      var size = parseFloat(getComputedStyle(parent).fontSize);
      var svg = parent.closest('svg');
      if (svg) size *= svg.getScreenCTM().a;
      if (size < smallest) {
        smallest = size;
        where = (svg ? 'svg ' : '') + parent.tagName + ': ' + node.textContent.trim().slice(0, 40);
      }
    }
    set('smallest-font', smallest.toFixed(2));
    set('smallest-font-where', where);
    // Table cells whose text runs over more than one line (names may break after '*').
    var wrapped = [];
    var cells = document.querySelectorAll('table.fit-table td, table.fit-table th, .plot .rows td, table.findings td');
    for (var i = 0; i < cells.length; i++) {
      var cell = cells[i];
      if (cell.classList.contains('nm') || !cell.textContent.trim()) continue;
      var range = document.createRange();
      range.selectNodeContents(cell);
      var tops = {};
      Array.prototype.forEach.call(range.getClientRects(), function (rect) {
        if (rect.width > 0) tops[Math.round(rect.top)] = true;
      });
      if (Object.keys(tops).length > 1) wrapped.push(cell.textContent.trim().slice(0, 30));
    }
    set('wrapped-cells', wrapped.length);
    set('wrapped-examples', wrapped.slice(0, 5).join(' | '));
    // The first open block's plots: their widths on the screen, side by side or stacked.
    var svgs = document.querySelectorAll('#plot-list .plot svg');
    if (svgs.length >= 2) {
      var a = svgs[0].getBoundingClientRect(), b = svgs[1].getBoundingClientRect();
      set('plot-widths', Math.round(a.width) + ',' + Math.round(b.width));
      set('plots-side-by-side', Math.abs(a.top - b.top) < 1 ? 'yes' : 'no');
      set('plots-fit', Math.max(a.right, b.right) <= document.documentElement.clientWidth ? 'yes' : 'no');
    }
    // Labels: pairs that overlap, labels over points, labels outside the frame.
    var overlaps = 0, labelled = 0;
    var plots = document.querySelectorAll('#plot-list .plot svg');
    for (var p = 0; p < plots.length; p++) {
      var group = plots[p].querySelector('g.labels');
      if (!group) continue;
      var boxes = Array.prototype.map.call(group.querySelectorAll('text'), function (text) { return text.getBBox(); });
      labelled += boxes.length;
      var inside = function (r, s) { return r.x < s.x + s.width - 1 && s.x < r.x + r.width - 1 && r.y < s.y + s.height - 1 &&
                                             s.y < r.y + r.height - 1; };
      for (var m = 0; m < boxes.length; m++) {
        for (var n = 0; n < m; n++) if (inside(boxes[m], boxes[n])) overlaps++;
        plots[p].morvitPoints.forEach(function (point) {
          if (inside(boxes[m], { x: point[0] - point[2], y: point[1] - point[2], width: 2 * point[2], height: 2 * point[2] })) {
            overlaps++;
          }
        });
      }
    }
    set('labelled', labelled);
    set('label-overlaps', overlaps);
  }

  if (words['test-svg']) {
    var first = document.querySelector('.plot svg');
    var link = first && first.parentNode.querySelector('a.save');
    if (link) {
      // The page makes the file's address on the click; the download itself is held back.
      link.addEventListener('click', function (event) { event.preventDefault(); });
      link.dispatchEvent(new MouseEvent('click', { cancelable: true }));
      var text = document.createElement('pre');
      text.id = 'svg-text';
      text.hidden = true;
      text.textContent = MorvitPlots.svgText(first);
      document.body.appendChild(text);
      // The pointer on the first case: the tooltip names it.
      var at = new DOMPoint(first.morvitPoints[0][0], first.morvitPoints[0][1]).matrixTransform(first.getScreenCTM());
      first.dispatchEvent(new MouseEvent('mousemove', { clientX: at.x, clientY: at.y, bubbles: true }));
    }
  }

  if (words['bench-open']) {
    // Every block in turn, a page of blocks at a time: opened (its plots drawn and laid
    // out) and closed again; then the next page.
    var times = [], slowestBlock = '', slowest = 0, turns = [], count = 0;
    for (;;) {
      var list = document.querySelectorAll('#plot-list details');
      for (var k = 0; k < list.length; k++) {
        var details = list[k];
        if (details.open) toggle(details, false);
        var start = performance.now();
        toggle(details, true);
        document.body.getBoundingClientRect();  // style and layout of the drawn plots
        var spent = performance.now() - start;
        times.push(spent);
        if (spent > slowest) { slowest = spent; slowestBlock = details.getAttribute('data-block'); }
        toggle(details, false);
        count++;
      }
      var next = document.querySelector('.pager button[data-step="1"]');
      if (!next || next.disabled) break;
      var turnStart = performance.now();
      next.click();
      document.body.getBoundingClientRect();
      turns.push(performance.now() - turnStart);
    }
    var sorted = times.slice().sort(function (x, y) { return x - y; });
    set('open-count', count);
    set('open-slowest-ms', slowest.toFixed(1));
    set('open-slowest-block', slowestBlock);
    set('open-median-ms', sorted[Math.floor(sorted.length / 2)].toFixed(1));
    set('open-p99-ms', sorted[Math.floor(sorted.length * 0.99)].toFixed(1));
    set('open-over-100ms', times.filter(function (t) { return t > 100; }).length);
    set('page-turns', turns.length);
    set('page-turn-slowest-ms', turns.length ? Math.max.apply(null, turns).toFixed(1) : '0');
    set('open-done', 1);
  }
})();
