// MORVIT in the browser: the page around the program. It translates the user's choices into
// the arguments of the `morvit` command (`--make-command-file ...` for a CSV file, then the
// run), hands them to the worker that runs the program (worker.js), and shows what the
// program wrote: standard output, standard error, the report and the other files. It
// computes no number of its own: every check and message is the program's.
//
// The address may carry a command file to run on opening, in base64url (RFC 4648, section 5):
//   #command=TEXT[&name=FILE.cmd][&args=JSON]
// name: the command file's name (command.cmd); args: the program's arguments as a JSON list in
// base64url (without it, the run the page makes: the table CSV, the cases CSV, the page and
// the command file). The report appears in <pre id="report">.
//
// The state of the page is in <html data-state>: loading, ready, running, done (the program
// ended, whatever its exit status), or broken (the program could not be started).
'use strict';

(() => {
  const root = document.documentElement;
  const $ = (id) => document.getElementById(id);

  // Script errors and refusals of the page's policy, kept where a reader of the page (and a
  // headless browser) can see them.
  const note = (attribute, text) => {
    const old = root.getAttribute(attribute);
    root.setAttribute(attribute, (old ? old + ' | ' : '') + text);
  };
  window.addEventListener('error', (event) => note('data-script-errors', String(event.message)));
  document.addEventListener('securitypolicyviolation', (event) => note('data-csp-violations', event.violatedDirective));

  const element = (tag, text, className) => {
    const made = document.createElement(tag);
    if (text !== undefined) made.textContent = text;
    if (className) made.className = className;
    return made;
  };
  const show = (id, shown) => {
    $(id).hidden = !shown;
  };

  // Text of the program's files: UTF-8 where the bytes are UTF-8, else Windows-1252.
  const textOf = (bytes) => {
    try {
      return new TextDecoder('utf-8', {fatal: true}).decode(bytes);
    } catch (error) {
      return new TextDecoder('windows-1252').decode(bytes);
    }
  };

  // ---------------------------------------------------------------------------------------
  // The worker and the program.

  const worker = new Worker(URL.createObjectURL(new Blob([$('morvit-worker').textContent], {type: 'text/javascript'})));
  const waiting = new Map();  // the answers still to come, by the id of their question
  let asked = 0;
  let progress = null;  // shows the worker's progress messages during a run
  const ask = (message) =>
    new Promise((resolve, reject) => {
      waiting.set(++asked, {resolve, reject});
      worker.postMessage({...message, id: asked});
    });
  worker.onmessage = (event) => {
    const message = event.data;
    if (message.type === 'progress') {
      if (progress) progress(message);
      return;
    }
    const question = waiting.get(message.id);
    waiting.delete(message.id);
    if (!question) return;
    if (message.type === 'failed') question.reject(new Error(message.message));
    else question.resolve(message);
  };
  worker.onerror = (event) => {
    root.dataset.state = 'broken';
    note('data-script-errors', 'worker: ' + String(event.message));
    for (const question of waiting.values()) question.reject(new Error(String(event.message)));
    waiting.clear();
  };
  const started = ask({type: 'start', wasm: $('morvit-program').textContent.trim()});

  // ---------------------------------------------------------------------------------------
  // Opening files.

  let opened = null;  // {kind: 'csv' | 'command', name, bytes, side: {name, bytes} | null}
  let columns = [];   // the CSV file's columns as web/csv_columns.cpp describes them

  const baseName = (name) => name.replace(/\.[^.]*$/, '') || name;
  const looksLikeCsv = (name, bytes) => {
    if (/\.(csv|tsv|tab)$/i.test(name)) return true;
    if (/\.cmd$/i.test(name)) return false;
    // A command file begins with a command word in columns 1 to 3 (COM, DAT, MER, ...).
    const first = textOf(bytes.slice(0, 200)).split(/\r\n|\r|\n/).find((line) => line.trim() !== '') || '';
    return !/^[A-Za-z]{3}(\s|$)/.test(first);
  };

  const openFiles = async (files) => {
    const list = Array.from(files);
    if (list.length === 0) return;
    const read = await Promise.all(list.map(async (file) => ({name: file.name, bytes: new Uint8Array(await file.arrayBuffer())})));
    const main = read.find((file) => !/\.cases$/i.test(file.name)) || read[0];
    const side = read.find((file) => file !== main && file.name === main.name + '.cases') || null;
    opened = {kind: looksLikeCsv(main.name, main.bytes) ? 'csv' : 'command', name: main.name, bytes: main.bytes, side};
    await showOpened();
  };

  // What was opened, read as the kind it is taken for; the user may take it for the other.
  const showOpened = async () => {
    clearResults();
    const status = $('opened');
    const other = element('button', opened.kind === 'csv' ? 'Read it as a command file' : 'Read it as a CSV file');
    other.type = 'button';
    other.className = 'quiet';
    other.addEventListener('click', () => {
      opened.kind = opened.kind === 'csv' ? 'command' : 'csv';
      showOpened();
    });
    status.replaceChildren(document.createTextNode(
                               `${opened.name}: ${opened.kind === 'csv' ? 'a CSV file' : 'a command file'}` +
                               (opened.side ? `, with its case names (${opened.side.name})` : '') + '. '),
                           other);
    status.hidden = false;
    show('csv', false);
    show('command', opened.kind === 'command');
    show('run-section', true);
    $('run').textContent = opened.kind === 'csv' ? 'Make the command file and run' : 'Run';
    if (opened.kind === 'csv') {
      try {
        await describeColumns();
      } catch (error) {
        $('stderr').textContent = `The file could not be read: ${error.message}`;
        show('messages', true);
      }
    }
  };

  $('file').addEventListener('change', (event) => openFiles(event.target.files));
  document.addEventListener('dragover', (event) => {
    event.preventDefault();
    root.classList.add('dragging');
  });
  document.addEventListener('dragleave', (event) => {
    if (event.target === document.documentElement || event.relatedTarget === null) root.classList.remove('dragging');
  });
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    root.classList.remove('dragging');
    if (event.dataTransfer && event.dataTransfer.files) openFiles(event.dataTransfer.files);
  });

  // ---------------------------------------------------------------------------------------
  // The choices for a CSV file.

  const ROLES = [['', 'not used'], ['outcome', 'outcome'], ['condition', 'condition'], ['cases', 'case names'],
                 ['weights', 'weights']];
  const separatorCode = () => ({',': 44, ';': 59, tab: 9}[$('separator').value] || 0);

  const describeColumns = async () => {
    await started;
    const answered = await ask({type: 'columns', file: {name: opened.name, bytes: opened.bytes}, separator: separatorCode()});
    const description = JSON.parse(answered.json);
    const list = $('columns');
    list.replaceChildren();
    columns = description.columns || [];
    if (description.error) list.append(element('p', `The file cannot be read as CSV: ${description.error}`, 'status'));
    columns.forEach((column, index) => list.append(columnRow(column, index, description.rows)));
    show('csv', true);
    updateLetters();
  };

  const columnRow = (column, index, rows) => {
    const row = element('div', undefined, 'column');
    row.dataset.column = String(index);
    const name = element('div', column.name === '' ? '(no name)' : column.name, 'name');
    let numbers = column.numbers > 0 ? `${column.numbers} of ${rows} numbers, from ${column.min} to ${column.max}`
                                     : 'no numbers';
    if (column.missing > 0) numbers += `; ${column.missing} missing`;
    if (column.other > 0) numbers += `; ${column.other} other values`;
    if (index === 0 && column.name === '') numbers = 'row names: the case names unless another column is chosen';
    name.append(element('span', numbers, 'numbers'));

    const role = element('select');
    role.className = 'role';
    role.setAttribute('aria-label', `role of ${column.name || 'the first column'}`);
    for (const [value, label] of ROLES) {
      const option = element('option', label);
      option.value = value;
      role.append(option);
    }
    const negate = element('input');
    negate.type = 'checkbox';
    negate.className = 'negate';
    const negateLabel = element('label', undefined, 'check');
    negateLabel.append(negate, document.createTextNode(' not (~)'));

    const calibration = element('div', undefined, 'calibration');
    calibration.append(element('span', 'calibrate'));
    for (const [part, placeholder] of [['exclusion', 'E'], ['crossover', 'C'], ['inclusion', 'I']]) {
      const input = element('input');
      input.type = 'text';
      input.inputMode = 'decimal';
      input.autocomplete = 'off';
      input.placeholder = placeholder;
      input.className = part;
      input.setAttribute('aria-label', `${part} threshold of ${column.name}`);
      calibration.append(input);
    }

    const refresh = () => {
      const set = role.value === 'outcome' || role.value === 'condition';
      negate.disabled = !set;
      for (const input of calibration.querySelectorAll('input')) input.disabled = !set;
      row.classList.toggle('used', role.value !== '');
    };
    role.addEventListener('change', () => {
      // One outcome, one column of case names, one of weights.
      if (['outcome', 'cases', 'weights'].includes(role.value)) {
        for (const other of document.querySelectorAll('.column select.role')) {
          if (other !== role && other.value === role.value) {
            other.value = '';
            other.dispatchEvent(new Event('change'));
          }
        }
      }
      refresh();
      updateLetters();
    });
    negate.addEventListener('change', updateLetters);
    refresh();
    row.append(name, role, negateLabel, calibration);
    return row;
  };

  // Each chosen column as the maker's arguments name it.
  const chosen = () => {
    const choice = {outcome: null, conditions: [], cases: null, weights: null, calibrations: []};
    for (const row of document.querySelectorAll('.column')) {
      const name = columns[Number(row.dataset.column)].name;
      const role = row.querySelector('select.role').value;
      const negated = row.querySelector('input.negate').checked;
      if (role === 'outcome' || role === 'condition') {
        const set = (negated ? '~' : '') + name;
        if (role === 'outcome') choice.outcome = set;
        else choice.conditions.push(set);
        const thresholds = Array.from(row.querySelectorAll('.calibration input'), (input) => input.value.trim());
        if (thresholds.some((value) => value !== '')) choice.calibrations.push(`${name}=${thresholds.join(',')}`);
      } else if (role === 'cases') {
        choice.cases = name;
      } else if (role === 'weights') {
        choice.weights = name;
      }
    }
    return choice;
  };

  const LETTERS = 'ABCDEFGHIJKLMNOPQRSTUVWXYZ';
  const updateLetters = () => {
    const choice = chosen();
    const parts = [];
    if (choice.outcome) parts.push(`outcome ${choice.outcome}`);
    choice.conditions.forEach((set, i) => parts.push(`${LETTERS[i] || '?'} = ${set}`));
    $('letters').textContent = parts.length ? 'In the report: ' + parts.join(', ') + '.' : 'Choose an outcome and at least one condition.';
  };

  $('separator').addEventListener('change', () => opened && opened.kind === 'csv' && describeColumns());

  const commandFileName = () => baseName(opened.name) + '.cmd';

  // `morvit --make-command-file ...` with the choices, as a user would type it.
  const makerArguments = () => {
    const choice = chosen();
    const args = ['--make-command-file', opened.name];
    if (choice.outcome) args.push('--outcome', choice.outcome);
    if (choice.conditions.length) args.push('--factors', choice.conditions.join(','));
    for (const calibration of choice.calibrations) args.push('--calibrate', calibration);
    if (choice.cases) args.push('--cases', choice.cases);
    if (choice.weights) args.push('--weights', choice.weights);
    const optional = [['--mer', 'mer'], ['--dam', 'dam'], ['--title', 'title']];
    for (const [option, id] of optional) {
      if ($(id).value.trim() !== '') args.push(option, $(id).value.trim());
    }
    if ($('separator').value !== '') args.push('--separator', $('separator').value);
    if ($('drop-missing').checked) args.push('--drop-missing');
    args.push('-o', commandFileName());
    return args;
  };

  // The run of a command file with the outputs asked for beside the report (all three when
  // the page makes the run by itself, from the address).
  const runArguments = (commandFile, level, every = false) => {
    const base = baseName(commandFile);
    const args = [];
    if (every || $('want-table').checked) args.push('--table-csv', base + '-table.csv');
    if (every || $('want-cases').checked) args.push('--cases-csv', base + '-cases.csv');
    if (every || $('want-page').checked) args.push('--html', base + '.html');
    if (level !== '') args.push('--level', level);
    return args.concat([commandFile]);
  };

  $('run').addEventListener('click', async () => {
    if (opened.kind === 'csv') {
      await run([makerArguments(), runArguments(commandFileName(), $('csv-level').value.trim())],
                {[opened.name]: opened.bytes});
    } else {
      const files = {[opened.name]: opened.bytes};
      if (opened.side) files[opened.side.name] = opened.side.bytes;
      await run([runArguments(opened.name, $('command-level').value.trim())], files);
    }
    if (!$('results').hidden) $('results').scrollIntoView({block: 'start'});
  });

  // ---------------------------------------------------------------------------------------
  // Running and showing the results.

  const urls = [];
  let pageUrl = null;  // the page of the last run, for the Page tab
  const clearResults = () => {
    while (urls.length) URL.revokeObjectURL(urls.pop());
    show('results', false);
    show('messages', false);
    $('page').removeAttribute('src');
    pageUrl = null;
  };

  const TYPES = {html: 'text/html', csv: 'text/csv'};
  const blobUrl = (name, bytes) => {
    const extension = name.slice(name.lastIndexOf('.') + 1).toLowerCase();
    const url = URL.createObjectURL(new Blob([bytes], {type: (TYPES[extension] || 'text/plain') + ';charset=utf-8'}));
    urls.push(url);
    return url;
  };

  const running = (on) => {
    $('run').disabled = on;
    $('file').disabled = on;
    show('progress', on);
    root.dataset.state = on ? 'running' : 'done';
  };

  const run = async (commands, files) => {
    clearResults();
    running(true);
    const start = Date.now();
    let doing = 'the program reads the data and forms the table';
    const tell = () => {
      $('progress-text').textContent = `Running for ${Math.round((Date.now() - start) / 1000)} s: ${doing}`;
    };
    tell();
    const clock = setInterval(tell, 1000);
    progress = (message) => {
      doing = `writing ${message.file} (${message.bytes.toLocaleString('en')} bytes so far)`;
      tell();
    };
    try {
      await started;
      const result = await ask({type: 'run', commands, files});
      showResults(result);
      running(false);
    } catch (error) {
      $('stderr').textContent = `The program could not be run: ${error.message}`;
      show('messages', true);
      running(false);
      root.dataset.state = 'broken';
    } finally {
      clearInterval(clock);
      progress = null;
    }
  };

  const showResults = (result) => {
    const last = result.ran[result.ran.length - 1];
    const messages = result.ran.map((command) => textOf(command.stderr)).join('');
    $('stderr').textContent = messages;
    show('messages', messages !== '');
    $('findings').textContent = result.ran.map((command) => textOf(command.stdout)).join('');
    const report = result.files['morvit.out'];
    $('report').textContent = report ? textOf(report) : '';
    root.dataset.status = String(last.status);
    // Each command as it would be typed, with its exit status.
    const quoted = (arg) => (/^[\w.,=~+\/-]+$/.test(arg) ? arg : `'${arg.replace(/'/g, `'\\''`)}'`);
    $('status').replaceChildren(...result.ran.map((command) => {
      // Lines break between the arguments, not at the hyphens of an option.
      const line = element('code', 'morvit');
      for (const arg of command.args.map(quoted)) {
        line.append(' ', element('span', arg, arg.length <= 40 ? 'argument' : undefined));
      }
      const item = element('p');
      item.append(line, document.createTextNode(`: exit status ${command.status}` +
                                                (command.status === 0 ? '.' : ' (see the messages above).')));
      return item;
    }));

    // Every file the commands wrote or changed, to download; the page also in the Page tab.
    const downloads = $('downloads');
    downloads.replaceChildren();
    let page = null;
    const rank = (name) => [/\.out$/i, /\.cmd$/i, /\.cases$/i, /-table\.csv$/i, /-cases\.csv$/i, /\.html$/i]
                               .findIndex((pattern) => pattern.test(name)) >>> 0;
    const names = Object.keys(result.files).sort((a, b) => rank(a) - rank(b) || (a < b ? -1 : a > b ? 1 : 0));
    for (const name of names) {
      const bytes = result.files[name];
      const link = element('a', name);
      link.href = blobUrl(name, bytes);
      link.download = name;
      link.append(' ', element('small', `${bytes.length.toLocaleString('en')} bytes`));
      downloads.append(link);
      if (/\.html$/i.test(name)) page = link.href;
    }
    pageUrl = page;
    if (page) {
      $('page-note').replaceChildren(document.createTextNode('The page that --html writes. '));
      const open = element('a', 'Open it in a tab of its own');
      open.href = page;
      open.target = '_blank';
      open.rel = 'noopener';
      $('page-note').append(open, document.createTextNode('.'));
    } else {
      $('page-note').textContent = 'This run wrote no page.';
    }
    show('results', true);
    select('findings');
  };

  // The page is loaded into its frame when its tab is first shown, so that it lays out its
  // plots at the width they have.
  const select = (which) => {
    for (const tab of ['findings', 'report', 'page']) {
      $('tab-' + tab).setAttribute('aria-selected', String(tab === which));
      $('panel-' + tab).hidden = tab !== which;
    }
    if (which === 'page' && pageUrl && $('page').getAttribute('src') !== pageUrl) $('page').src = pageUrl;
  };
  for (const tab of ['findings', 'report', 'page']) $('tab-' + tab).addEventListener('click', () => select(tab));

  // ---------------------------------------------------------------------------------------
  // A command file in the address.

  const bytesOfBase64url = (text) => {
    const base64 = text.replace(/-/g, '+').replace(/_/g, '/');
    const binary = atob(base64 + '='.repeat((4 - (base64.length % 4)) % 4));
    return Uint8Array.from(binary, (c) => c.charCodeAt(0));
  };

  const fromAddress = () => {
    const parameters = {};
    for (const part of location.hash.replace(/^#/, '').split('&')) {
      const at = part.indexOf('=');
      if (at > 0) parameters[part.slice(0, at)] = part.slice(at + 1);
    }
    if (!parameters.command) return null;
    try {
      let name = 'command.cmd';
      if (parameters.name) name = decodeURIComponent(parameters.name);
      // A file name, not a path.
      if (name === '' || name === '.' || name === '..' || name.includes('/')) name = 'command.cmd';
      const bytes = bytesOfBase64url(parameters.command);
      const args = parameters.args ? JSON.parse(textOf(bytesOfBase64url(parameters.args))) : null;
      if (args !== null && !(Array.isArray(args) && args.every((arg) => typeof arg === 'string'))) return null;
      return {name, bytes, args};
    } catch (error) {
      // An address that does not hold a command file is passed over.
      return null;
    }
  };

  // Another command file in the address of the open page: the page starts afresh with it.
  window.addEventListener('hashchange', () => {
    if (fromAddress()) location.reload();
  });

  started.then(() => {
    if (root.dataset.state === 'loading') root.dataset.state = 'ready';
    const given = fromAddress();
    if (!given) {
      // While the user chooses a file: the first large run then runs at full speed.
      ask({type: 'warm-up'}).catch(() => {});
      return;
    }
    opened = {kind: 'command', name: given.name, bytes: given.bytes, side: null};
    $('opened').textContent = `${given.name}: a command file from the address.`;
    $('opened').hidden = false;
    show('command', true);
    show('run-section', true);
    run([given.args || runArguments(given.name, '', true)], {[given.name]: given.bytes}).then(() => select('report'));
  }, (error) => {
    root.dataset.state = 'broken';
    $('stderr').textContent = `The program could not be started: ${error.message}`;
    show('messages', true);
  });
})();
