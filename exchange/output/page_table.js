// MORVIT's HTML page: the controls, the findings, the run summary, the table and the list of
// plots. Embedded byte for byte in every page after page_logic.js and page_plots.js (see
// embed_page_assets.cmake). Every element is built with DOM calls: no text of the run is
// ever parsed as markup. Keep this file free of the sequence "</" + "script".
//
// The table and the plot list show one page of blocks at a time (the filter chooses which
// blocks), built from the embedded data when shown; a block's plots are drawn when it is
// opened and dropped when it is closed. F, P, the readings, the block headers, the findings
// and the run summary follow the MER and the level the reader sets, in the page or in its
// address (#mer=0.35, #alpha=0.01,mer=0.2); #p-BLOCK opens a block.
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

  var L = MorvitLogic, D = MorvitDom, P = MorvitPlots, el = D.el;
  var dataNode = document.getElementById('morvit-data');
  var data = dataNode ? JSON.parse(dataNode.textContent) : null;
  if (!data) {
    // The page of a run without a table: nothing to set up.
    root.setAttribute('data-state', 'ready');
    return;
  }

  var alphaSelect = document.getElementById('alpha');
  var merInput = document.getElementById('mer');
  var necInput = document.getElementById('cons-nec');
  var sufInput = document.getElementById('cons-suf');
  var labelsBox = document.getElementById('labels');
  var sizeSelect = document.getElementById('size');
  var shownNode = document.getElementById('shown');
  var boxes = document.querySelectorAll('#filter input[type=checkbox]');
  var table = document.querySelector('table.fit-table');
  var plotList = document.getElementById('plot-list');
  var pagers = document.querySelectorAll('.pager');
  var findingsNode = document.getElementById('findings-list');
  var numbersNote = document.getElementById('numbers-note');
  var blocks = data.blocks;
  var module = null;  // the numbers module's functions, once it runs
  var at = null;      // the settings the rows are read at

  // ---- Settings -----------------------------------------------------------------------------

  function threshold(input, fallback) {
    var value = L.merValue(input.value);
    return value === null || value > 1 ? fallback : value;
  }
  function thresholds() {
    return { necessity: threshold(necInput, L.num(data.conventional.necessity)),
             sufficiency: threshold(sufInput, L.num(data.conventional.sufficiency)) };
  }
  function read() {
    var text = merInput.value;
    // A field the browser finds invalid reads as empty: the run's MER then.
    at = L.settings(data, text === '' ? undefined : text, parseFloat(alphaSelect.value), module);
  }

  // Settings from the page's address: a MER and a level that the page can read rows at;
  // anything else there is passed over.
  function takeAddress() {
    var address = L.readAddress(location.hash);
    var mer = address.settings.mer;
    if (mer !== undefined && L.merValue(mer) !== null) merInput.value = mer.trim();
    var alpha = address.settings.alpha;
    if (alpha !== undefined) {
      for (var i = 0; i < alphaSelect.options.length; i++) {
        if (Number(alphaSelect.options[i].value) === Number(alpha)) alphaSelect.selectedIndex = i;
      }
    }
    return address;
  }

  // ---- Table rows -------------------------------------------------------------------------

  // A row of block `bi`; with `first` the block's label cell links to its plots and a
  // names cell spans `span` rows; `plain` leaves out the block and names cells.
  function rowElement(bi, ri, first, span, plain) {
    var block = blocks[bi], row = block.rows[ri];
    var tr = el('tr', { 'data-r': bi + ':' + ri });
    if (!plain) {
      tr.appendChild(el('th', null, first && block.block !== 'NONE' ? el('a', { href: '#p-' + block.block }, block.block)
                                                                     : block.block));
      if (first) {
        var names = el('td', { 'class': 'nm', rowspan: span }, namesWithBreaks(L.blockNames(data, block.block)));
        if (block.contradictory) names.appendChild(contradictionNote());
        tr.appendChild(names);
      }
    }
    tr.appendChild(el('td', { 'class': 'hy' }, L.hypothesisLabel(row)));
    if (row.omitted) {
      tr.appendChild(el('td', { colspan: 5, 'class': 'note' }, L.cells(row, at).omitted));
    } else {
      ['ssd', 'df', 'msd', 'f', 'p'].forEach(function (name) { tr.appendChild(el('td', { 'class': 'n-' + name })); });
    }
    tr.appendChild(el('td', { 'class': 'cm' }));
    tr.appendChild(el('td', { 'class': 'ca' }));
    tr.appendChild(el('td', { 'class': 'v' }));
    fillRow(tr);
    return tr;
  }

  function contradictionNote() {
    return el('span', { 'class': 'contra-note' }, 'contradictory: a factor and its negation');
  }

  // Names joined by '*' may break after each '*', never inside a name.
  function namesWithBreaks(names) {
    var parts = [];
    names.split('*').forEach(function (name, k) {
      if (k > 0) parts.push('*', el('wbr'));
      parts.push(name);
    });
    return parts;
  }

  function fillRow(tr) {
    var place = tr.getAttribute('data-r').split(':');
    var block = blocks[Number(place[0])], row = block.rows[Number(place[1])];
    var read = L.reading(row, at), cells = L.cells(row, at);
    tr.className = read.cls + (block.contradictory ? ' contra' : '');
    if (!row.omitted) {
      ['ssd', 'df', 'msd', 'f', 'p'].forEach(function (name) {
        tr.querySelector('td.n-' + name).textContent = cells[name];
      });
      var p = tr.querySelector('td.n-p');
      p.className = cells.pRuns ? 'n-p runs' : 'n-p';
      if (cells.pRuns) p.title = 'the run\'s P, at its MER ' + L.runMerText(data); else p.removeAttribute('title');
    }
    tr.querySelector('td.cm').textContent = cells.critical;
    tr.querySelector('td.ca').textContent = cells.against;
    tr.querySelector('td.v').textContent = read.words;
  }

  // ---- Findings ---------------------------------------------------------------------------

  function findingRow(finding) {
    var block = finding.block, row = finding.row;
    var names = L.blockNames(data, block.block);
    var cells = L.cells(row, at);
    var verdict = finding.perfect ? 'no case against' : cells.p + (cells.pRuns ? ' (the run\'s)' : '');
    var conventional = finding.conventional < 0 ? 'n/a'
      : (finding.conventional ? '' : 'not ') + (row.kind === 'nec_and_suff' ? 'necessary and sufficient' : row.kind);
    // data-label: the column's heading, shown beside each value where the table is laid
    // out as a list (a narrow screen).
    var tr = el('tr', { 'class': (finding.holds ? 'holds' : 'closest') + (finding.disagrees ? ' differs' : '') }, [
      el('th', { scope: 'row' }, [el('a', { href: '#p-' + block.block }, block.block + ' ' + L.hypothesisLabel(row))]),
      el('td', { 'class': 'nm' }, namesWithBreaks(names)),
      el('td', { 'data-label': 'P' }, verdict),
      el('td', { 'data-label': 'critical MER' },
         finding.perfect || !finding.criticalKnown ? '' : L.criticalMerText(finding.critical)),
      el('td', { 'class': 'measures' }, L.findingMeasures(finding)),
      el('td', { 'data-label': 'cases against' }, finding.perfect ? '0' : cells.against),
      el('td', { 'data-label': 'by consistency' }, conventional),
      el('td', { 'class': 'mark' }, finding.disagrees ? el('span', { 'class': 'differs-mark', title: finding.holds
        ? L.WHY.accepted : L.WHY.rejected }, finding.holds ? '\u2260 accepts' : '\u2260 rejects') : '')
    ]);
    return tr;
  }

  function renderFindings() {
    var limits = thresholds();
    var found = L.findings(data, at, limits);
    D.clear(findingsNode);
    var where = 'At MER ' + L.shortNumber(at.mer, 6) + ' and level ' + L.shortNumber(at.level, 6);
    var lead = found.holdingCount === 0 ? where + ', no hypothesis holds.'
      : where + ', ' + found.holdingCount + (found.holdingCount === 1 ? ' hypothesis holds' : ' hypotheses hold') +
        (found.holdingCount > found.holding.length ? '; the first ' + found.holding.length + ' by critical MER:' : ':');
    findingsNode.appendChild(el('p', { 'class': 'lead' }, lead));
    var head = el('thead', null, el('tr', null, ['hypothesis', 'columns', 'P', 'critical MER', 'consistency and coverage',
      'cases against', 'by consistency (necessity ' + L.shortNumber(limits.necessity, 3) + ', sufficiency ' +
      L.shortNumber(limits.sufficiency, 3) + ')', ''].map(function (text) { return el('th', { scope: 'col' }, text); })));
    var body = el('tbody');
    found.holding.forEach(function (finding) { body.appendChild(findingRow(finding)); });
    if (found.closest.length) {
      body.appendChild(el('tr', { 'class': 'group' }, el('th', { colspan: 8, scope: 'rowgroup' },
        found.holdingCount ? 'The closest of the others, by the MER each needs:' : 'The closest, by the MER each needs:')));
      found.closest.forEach(function (finding) { body.appendChild(findingRow(finding)); });
    }
    findingsNode.appendChild(el('div', { 'class': 'table-scroll' }, el('table', { 'class': 'findings' }, [head, body])));
    var shown = found.holding.concat(found.closest);
    var why = [];
    if (shown.some(function (f) { return f.disagrees && !f.holds; })) why.push(['\u2260 rejects: ', L.WHY.rejected]);
    if (shown.some(function (f) { return f.disagrees && f.holds; })) why.push(['\u2260 accepts: ', L.WHY.accepted]);
    why.forEach(function (line) {
      findingsNode.appendChild(el('p', { 'class': 'why' }, [el('span', { 'class': 'differs-mark' }, line[0]), line[1]]));
    });
    root.setAttribute('data-findings', String(found.holdingCount));
  }

  // ---- Summary ----------------------------------------------------------------------------

  function renderSummary() {
    var mer = document.getElementById('summary-mer'), msd = document.getElementById('summary-msd');
    mer.textContent = L.editFixed(at.mer, 6);
    msd.textContent = L.editFixed(at.expectedMsd, 6);
    document.getElementById('summary-mer-run').textContent = at.atRun ? '' :
      'the run\'s: ' + L.editFixed(L.num(data.run.mer), 6);
    document.getElementById('summary-msd-run').textContent = at.atRun ? '' : 'the run\'s: ' +
      L.editFixed(L.num(data.run.expected_msd), 6);
  }

  // ---- Filter, pages, table and plot list -------------------------------------------------

  var shown = [];     // the indexes of the blocks the filter keeps (NONE not among them)
  var page = 0;
  var opened = {};    // the blocks whose plots are open, by label
  var plotWidth = 0;  // the width each plot is drawn at
  // The single factors open at first, as many as the first view can draw quickly (all of
  // them for a run of a few hundred cases; the first two for a sample of 2,000).
  var firstPoints = 0;
  blocks.forEach(function (block) {
    if (block.block.length === 1 && block.block !== 'NONE' &&
        (firstPoints === 0 || firstPoints + data.case.length <= 4000)) {
      opened[block.block] = true;
      firstPoints += data.case.length;
    }
  });

  function applyFilter() {
    var wanted = [];
    for (var i = 0; i < boxes.length; i++) if (boxes[i].checked) wanted.push(boxes[i].value);
    var size = sizeSelect.value;
    shown = [];
    for (var b = 0; b < blocks.length; b++) {
      var label = blocks[b].block;
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
      D.clear(pager);
      if (pageCount() === 1) continue;
      var previous = el('button', { type: 'button', 'data-step': -1 }, '\u25c0 previous');
      var next = el('button', { type: 'button', 'data-step': 1 }, 'next \u25b6');
      previous.disabled = page === 0;
      next.disabled = page === pageCount() - 1;
      D.add(pager, [previous, ' ', el('span', null, 'blocks ' + (first + 1) + '\u2013' + last + ' of ' + shown.length +
                                                     ' (page ' + (page + 1) + ' of ' + pageCount() + ')'), ' ', next]);
    }
  }

  // The words of a block's header at the settings.
  function fillBrief(summary, block) {
    var brief = summary.querySelector('.brief');
    D.clear(brief);
    L.blockBrief(block, at).forEach(function (part, k) {
      if (k > 0) brief.appendChild(document.createTextNode(' \u00b7 '));
      brief.appendChild(el('span', { 'class': 'b-' + part.cls.split(' ')[0] }, part.text));
    });
  }

  function detailsElement(bi) {
    var block = blocks[bi];
    var summary = el('summary', null, [el('b', null, block.block), ' ', namesWithBreaks(L.blockNames(data, block.block)),
                                       ' ', el('span', { 'class': 'brief' })]);
    if (block.contradictory) summary.appendChild(contradictionNote());
    fillBrief(summary, block);
    return el('details', { id: 'p-' + block.block, 'data-block': block.block, 'data-index': bi,
                           'class': block.contradictory ? 'contra' : null },
              [summary, el('div', { 'class': 'plot' })]);
  }

  // The width each plot gets in the plot list as it is laid out now.
  function measureWidth() {
    // The list's width less a block's frame and the padding around its plots.
    return P.width(plotList.clientWidth - 24);
  }

  function render() {
    renderPagers();
    var bodies = table.querySelectorAll('tbody');
    for (var i = 0; i < bodies.length; i++) table.removeChild(bodies[i]);
    D.clear(plotList);
    plotWidth = measureWidth();
    var list = [0].concat(shown.slice(page * data.page, (page + 1) * data.page));
    var toDraw = [];
    for (var k = 0; k < list.length; k++) {
      var bi = list[k], block = blocks[bi];
      if (!block || (k === 0 && block.block !== 'NONE')) continue;
      var body = el('tbody', { id: 't-' + block.block, 'data-block': block.block,
                               'class': block.contradictory ? 'contra' : null });
      for (var r = 0; r < block.rows.length; r++) body.appendChild(rowElement(bi, r, r === 0, block.rows.length, false));
      table.appendChild(body);
      if (k > 0) {
        var details = detailsElement(bi);
        plotList.appendChild(details);
        if (opened[block.block]) toDraw.push(details);
      }
    }
    toDraw.forEach(function (details) {
      details.open = true;
      drawBlock(details);
    });
    countPlots();
  }

  function turn(step) {
    page = Math.max(0, Math.min(pageCount() - 1, page + step));
    render();
  }

  // data-plots: the number of blocks whose plots stand in the page.
  function countPlots() {
    root.setAttribute('data-plots', String(plotList.querySelectorAll('.plot[data-drawn]').length));
  }

  function countsList(block) {
    var counts = block.counts;
    if (!counts) return el('ul', { 'class': 'counts' }, el('li', null, 'no cases counted: the run kept no data'));
    var on = counts.on === undefined ? 'not counted' : counts.on.toLocaleString('en');
    var list = el('ul', { 'class': 'counts' }, [
      el('li', null, [el('span', { 'class': 'dot ab' }), ' above the diagonal: ' + counts.above.toLocaleString('en') +
                      ' (against NECESSARY)']),
      el('li', null, [el('span', { 'class': 'dot be' }), ' below the diagonal: ' + counts.below.toLocaleString('en') +
                      ' (against SUFFICIENT)']),
      el('li', null, [el('span', { 'class': 'dot ti' }), ' on the diagonal: ' + on]),
      el('li', null, 'cases of positive weight, in z-scores, as the table counts them')
    ]);
    if (data.case.length < data.cases) {
      list.appendChild(el('li', null, 'drawn: ' + data.case.length.toLocaleString('en') + ' of ' +
                                      data.cases.toLocaleString('en') + ' cases'));
    }
    return list;
  }

  function drawBlock(details) {
    var target = details.querySelector('.plot');
    if (target.getAttribute('data-drawn')) return;
    var bi = Number(details.getAttribute('data-index'));
    var block = blocks[bi];
    var rows = el('tbody');
    for (var r = 0; r < block.rows.length; r++) rows.appendChild(rowElement(bi, r, false, 0, true));
    var heads = ['hypothesis', 'SSD', 'DF', 'MSD', 'F', 'P', 'critical MER', 'against', 'reading'].map(
      function (text) { return el('th', null, text); });
    D.add(target, P.figures(block, plotWidth).concat([
      el('div', { 'class': 'rows' }, [el('div', { 'class': 'table-scroll' },
                                         el('table', null, [el('thead', null, el('tr', null, heads)), rows])),
                                      countsList(block)])]));
    target.setAttribute('data-drawn', '1');
    target.setAttribute('data-width', String(plotWidth));
    countPlots();
  }

  function dropBlock(details) {
    var target = details.querySelector('.plot');
    if (!target.getAttribute('data-drawn')) return;
    D.clear(target);
    target.removeAttribute('data-drawn');
    countPlots();
  }

  // Everything that follows the settings: the rows shown, the block headers, the findings
  // and the summary.
  function refresh() {
    read();
    var rows = document.querySelectorAll('tr[data-r]');
    for (var i = 0; i < rows.length; i++) fillRow(rows[i]);
    var details = plotList.querySelectorAll('details');
    for (var k = 0; k < details.length; k++) {
      fillBrief(details[k].querySelector('summary'), blocks[Number(details[k].getAttribute('data-index'))]);
    }
    renderFindings();
    renderSummary();
  }

  // A window of another width draws the open plots again at the width they now have
  // (before the next paint where the browser tells of the change as it lays out).
  var resizing = 0;
  function resized() {
    var width = measureWidth();
    if (width === plotWidth || !plotList.clientWidth) return;
    plotWidth = width;
    var drawn = plotList.querySelectorAll('.plot[data-drawn]');
    for (var i = 0; i < drawn.length; i++) {
      var details = drawn[i].parentNode;
      dropBlock(details);
      drawBlock(details);
    }
  }

  // ---- Addresses, events, start ---------------------------------------------------------

  function openFromAddress() {
    var address = L.readAddress(location.hash);
    var label = null;
    Object.keys(address.words).forEach(function (word) { if (word.indexOf('p-') === 0) label = word.slice(2); });
    if (label === null) return;
    var bi = -1;
    for (var b = 0; b < blocks.length; b++) if (blocks[b].block === label) bi = b;
    if (bi < 0 || label === 'NONE') return;
    if (shown.indexOf(bi) < 0) {
      for (var i = 0; i < boxes.length; i++) boxes[i].checked = false;
      sizeSelect.value = 'all';
      applyFilter();
    }
    var want = Math.floor(shown.indexOf(bi) / data.page);
    opened[label] = true;
    if (want !== page) {
      page = want;
      render();
    }
    var details = document.getElementById('p-' + label);
    if (details) {
      details.open = true;
      drawBlock(details);
      details.scrollIntoView();
    }
  }

  // The numbers module: compiled at once where the browser allows it, else in the
  // background; until it runs (or where it cannot) the page reads as one without it.
  function startModule(done) {
    var node = document.getElementById('morvit-numbers');
    if (!node) {
      numbersNote.textContent = 'This page was made without its numbers module: its P is the run\'s, at the run\'s MER (' +
        L.runMerText(data) + '). At another MER, F follows it and each row is read from its critical MER.';
      return done();
    }
    if (typeof WebAssembly !== 'object') return failed('no WebAssembly');
    var text = atob(node.textContent.trim()), bytes = new Uint8Array(text.length);
    for (var i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i);
    function failed(error) {
      numbersNote.textContent = 'This browser did not run the page\'s numbers module (' + error + '): its P is ' +
        'the run\'s, at the run\'s MER (' + L.runMerText(data) + '). At another MER, F follows it and each row is ' +
        'read from its critical MER.';
      done();
    }
    try {
      module = new WebAssembly.Instance(new WebAssembly.Module(bytes), {}).exports;
      done();
    } catch (error) {
      if (!(error instanceof RangeError)) return failed(error);
      WebAssembly.instantiate(bytes, {}).then(function (made) {
        module = made.instance.exports;
        done();
      }, failed);
    }
  }

  alphaSelect.addEventListener('change', refresh);
  merInput.addEventListener('input', refresh);
  necInput.addEventListener('input', renderFindings);
  sufInput.addEventListener('input', renderFindings);
  labelsBox.addEventListener('change', function () { P.switchLabels(labelsBox.checked); });
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
  plotList.addEventListener('mousemove', P.showTip);
  plotList.addEventListener('mouseout', function () { document.getElementById('tip').hidden = true; });
  window.addEventListener('hashchange', function () {
    takeAddress();
    refresh();
    openFromAddress();
  });
  if (typeof ResizeObserver === 'function') {
    new ResizeObserver(resized).observe(plotList);
  } else {
    window.addEventListener('resize', function () {
      clearTimeout(resizing);
      resizing = setTimeout(resized, 150);
    });
  }

  P.setup(data, document.getElementById('tip'));
  takeAddress();
  P.switchLabels(labelsBox.checked);
  startModule(function () {
    read();
    applyFilter();  // the table and the plot list, read at the settings
    renderFindings();
    renderSummary();
    openFromAddress();
    document.body.getBoundingClientRect();  // the first layout belongs to the time until ready
    root.setAttribute('data-numbers', module ? 'module' : 'run');
    root.setAttribute('data-ready-ms', performance.now().toFixed(0));
    root.setAttribute('data-state', 'ready');
  });
})();
