// The app's worker: runs the program, compiled to WebAssembly from app/main.cpp, on files
// held in memory, so that the page stays responsive during a long run. Each command runs in
// an instance of its own, started afresh from the compiled module: nothing of one run
// reaches the next except the files it wrote. This script follows emscripten's glue
// (createMorvit) in the worker's source.
//
// Messages in, each with an id that its answer carries back; they are handled one after
// another, in the order they came:
//   {type: 'start', wasm: BASE64}                      compiles the program; answers 'started'
//   {type: 'warm-up'}                                  runs it once (warmUp); answers 'warm'
//   {type: 'columns', file: {name, bytes}, separator}  answers 'columns' with the JSON text
//                                                      that web/csv_columns.cpp writes
//   {type: 'run', commands: [[ARG...]...], files: {NAME: BYTES}}
//       runs the commands one after another, each as `morvit ARG...` in the directory that
//       holds the files; stops after a command whose exit status is not 0. Answers
//       'progress' while a command writes files and 'ran' at the end, with each command's
//       status, standard output and standard error (bytes), and the files that the
//       commands wrote or changed.
// An error answers 'failed' with its message.
'use strict';

const WORK = '/work';
let program = null;  // the compiled WebAssembly.Module

function bytesOfBase64(text) {
  const binary = atob(text);
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

// Bytes written one at a time by the program's standard output or error.
class ByteSink {
  constructor() {
    this.bytes = new Uint8Array(4096);
    this.length = 0;
  }

  push(byte) {
    if (byte === null || byte === undefined) return;
    if (this.length === this.bytes.length) {
      const larger = new Uint8Array(this.bytes.length * 2);
      larger.set(this.bytes);
      this.bytes = larger;
    }
    this.bytes[this.length++] = byte & 255;
  }

  text(text) {
    new TextEncoder().encode(text).forEach((byte) => this.push(byte));
  }

  take() {
    return this.bytes.slice(0, this.length);
  }
}

// A fresh instance of the program with `files` in its working directory.
async function instance(files, stdout, stderr) {
  const module = await createMorvit({
    noInitialRun: true,
    instantiateWasm(imports, receive) {
      WebAssembly.instantiate(program, imports).then((made) => receive(made, program));
      return {};
    },
    locateFile: () => '',
    stdin: () => null,
    stdout: (byte) => stdout.push(byte),
    stderr: (byte) => stderr.push(byte),
    // The glue's own messages (an abort): to standard error, as a native crash would be.
    print: (text) => stderr.text(text + '\n'),
    printErr: (text) => stderr.text(text + '\n'),
  });
  module.FS.mkdir(WORK);
  module.FS.chdir(WORK);
  for (const [name, bytes] of Object.entries(files)) module.FS.writeFile(`${WORK}/${name}`, bytes);
  return module;
}

// The regular files of the working directory.
function filesOf(module) {
  const files = {};
  for (const name of module.FS.readdir(WORK)) {
    const path = `${WORK}/${name}`;
    if (name !== '.' && name !== '..' && module.FS.isFile(module.FS.stat(path).mode)) {
      files[name] = module.FS.readFile(path);
    }
  }
  return files;
}

// Tells the page which file the program is writing and how much of it, at most five times
// a second: the report grows block by block while the table is formed.
function watchWrites(module) {
  const write = module.FS.write;
  const written = new Map();
  let told = 0;
  module.FS.write = function (stream, buffer, offset, length, position, canOwn) {
    const count = write.call(this, stream, buffer, offset, length, position, canOwn);
    const name = stream.path ? stream.path.slice(stream.path.lastIndexOf('/') + 1) : '';
    if (name && !stream.path.startsWith('/dev/')) {
      written.set(name, (written.get(name) || 0) + count);
      const now = Date.now();
      if (now - told > 200) {
        told = now;
        postMessage({type: 'progress', file: name, bytes: written.get(name)});
      }
    }
    return count;
  };
}

async function runCommand(args, files) {
  const stdout = new ByteSink();
  const stderr = new ByteSink();
  const module = await instance(files, stdout, stderr);
  watchWrites(module);
  let status;
  try {
    status = module.callMain(args);
  } catch (error) {
    // An abort (no memory left, a trap): the program ended as a crash would end it.
    stderr.text(`morvit: the run stopped: ${error && error.message ? error.message : error}\n`);
    status = 134;
  }
  return {args, status, stdout: stdout.take(), stderr: stderr.take(), files: filesOf(module)};
}

function same(a, b) {
  if (a.length !== b.length) return false;
  for (let i = 0; i < a.length; ++i) {
    if (a[i] !== b[i]) return false;
  }
  return true;
}

// The files written or changed by the commands, not those given as they were.
async function run(commands, given) {
  const ran = [];
  let current = given;
  for (const args of commands) {
    const result = await runCommand(args, current);
    current = result.files;
    delete result.files;
    ran.push(result);
    if (result.status !== 0) break;
  }
  const written = {};
  for (const [name, bytes] of Object.entries(current)) {
    if (!given[name] || !same(given[name], bytes)) written[name] = bytes;
  }
  return {ran, files: written};
}

// A run of 2,000 cases and 10 factors with every output, made once after compiling. A
// browser runs a function first in code compiled quickly, and keeps running it there until
// it returns; only its later calls take the optimized code made meanwhile. The table of a
// run is formed in one call, so without this the first run of a large table would be made
// entirely in the slower code. The memberships are a fixed pattern of two decimals; the
// run's results are not used.
async function warmUp() {
  const lines = ['DAT   2000 10'];
  for (let i = 0; i < 2000; ++i) {
    const values = [];
    for (let j = 0; j <= 10; ++j) values.push('0.' + String((i * 7 + j * 13) % 100).padStart(2, '0'));
    lines.push(values.join(' '));
  }
  lines.push('FIN', '');
  const files = {'warm-up.cmd': new TextEncoder().encode(lines.join('\n'))};
  await runCommand(['-q', '--table-csv', 't.csv', '--cases-csv', 'c.csv', '--html', 'p.html', 'warm-up.cmd'], files);
}

async function columns(file, separator) {
  const sink = new ByteSink();
  const module = await instance({[file.name]: file.bytes}, sink, sink);
  return module.ccall('morvit_csv_columns', 'string', ['string', 'number'], [`${WORK}/${file.name}`, separator]);
}

async function handle(message) {
  if (message.type === 'start') {
    program = await WebAssembly.compile(bytesOfBase64(message.wasm));
    return [{type: 'started'}];
  }
  if (message.type === 'warm-up') {
    await warmUp();
    return [{type: 'warm'}];
  }
  if (message.type === 'columns') return [{type: 'columns', json: await columns(message.file, message.separator)}];
  if (message.type === 'run') {
    const result = await run(message.commands, message.files);
    return [{type: 'ran', ...result}, Object.values(result.files).map((bytes) => bytes.buffer)];
  }
  return [{type: 'failed', message: `unknown message ${message.type}`}];
}

let queue = Promise.resolve();
onmessage = (event) => {
  const message = event.data;
  queue = queue.then(async () => {
    try {
      const [answer, transfer] = await handle(message);
      postMessage({...answer, id: message.id}, transfer || []);
    } catch (error) {
      postMessage({type: 'failed', id: message.id, message: String(error && error.stack ? error.stack : error)});
    }
  });
};
