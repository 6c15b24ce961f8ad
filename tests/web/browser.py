"""Headless Chromium driven through the DevTools protocol on a pipe (--remote-debugging-pipe),
for the checks of the browser app: open a page, wait for its state, read what it shows,
choose files for its file input, click, download, take screenshots. Python's standard
library only.
"""
import base64
import json
import os
import select
import shutil
import subprocess
import tempfile
import time

FLAGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync',
         '--hide-scrollbars', '--mute-audio']


class BrowserError(Exception):
    pass


def find_chromium():
    for name in (os.environ.get('MORVIT_CHROMIUM'), 'chromium', 'chromium-browser', 'google-chrome'):
        if name and shutil.which(name):
            return shutil.which(name)
    return None


class Browser:
    """One browser with one tab; every call waits for its answer."""

    def __init__(self, chromium, width=1366, height=900):
        self.profile = tempfile.mkdtemp(prefix='morvit-chromium-')
        to_browser_read, self.to_browser = os.pipe()
        self.from_browser, from_browser_write = os.pipe()
        # The browser reads commands on descriptor 3 and writes answers on descriptor 4: moved
        # there in the child (from descriptors out of the way of 3 and 4), the only
        # descriptors it inherits apart from the standard ones (the others close on exec).
        high_read, high_write = 100, 101
        os.dup2(to_browser_read, high_read, inheritable=False)
        os.dup2(from_browser_write, high_write, inheritable=False)
        os.close(to_browser_read)
        os.close(from_browser_write)

        def descriptors():
            os.dup2(high_read, 3)
            os.dup2(high_write, 4)

        self.process = subprocess.Popen(
            [chromium] + FLAGS + ['--remote-debugging-pipe', f'--user-data-dir={self.profile}',
                                  f'--window-size={width},{height}', 'about:blank'],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            close_fds=False, preexec_fn=descriptors)
        os.close(high_read)
        os.close(high_write)
        self.buffer = b''
        self.next_id = 0
        self.events = []
        self.requests = []  # every address the page asked for, once the Network domain is on
        page = next(target for target in self.call('Target.getTargets')['targetInfos'] if target['type'] == 'page')
        self.session = self.call('Target.attachToTarget', targetId=page['targetId'], flatten=True)['sessionId']
        for domain in ('Page', 'Runtime', 'Log'):
            self.call(domain + '.enable', session=True)
        self.size(width, height)

    def close(self):
        try:
            self.call('Browser.close')
        except BrowserError:
            pass
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        os.close(self.to_browser)
        os.close(self.from_browser)
        shutil.rmtree(self.profile, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.close()

    # --- the protocol -----------------------------------------------------------------

    def _read_message(self, timeout):
        deadline = time.monotonic() + timeout
        while b'\0' not in self.buffer:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.from_browser], [], [], left)[0]:
                raise BrowserError('no answer from the browser')
            chunk = os.read(self.from_browser, 1 << 20)
            if not chunk:
                raise BrowserError('the browser ended')
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b'\0', 1)
        message = json.loads(message)
        if message.get('method') == 'Network.requestWillBeSent':
            self.requests.append(message['params']['request']['url'])
        return message

    def call(self, method, session=False, timeout=120, **params):
        self.next_id += 1
        message = {'id': self.next_id, 'method': method, 'params': params}
        if session:
            message['sessionId'] = self.session
        os.write(self.to_browser, json.dumps(message).encode() + b'\0')
        while True:
            answer = self._read_message(timeout)
            if answer.get('id') == self.next_id:
                if 'error' in answer:
                    raise BrowserError(f'{method}: {answer["error"]}')
                return answer.get('result', {})
            self.events.append(answer)

    def wait_event(self, method, timeout=120, match=lambda params: True):
        deadline = time.monotonic() + timeout
        while True:
            for i, event in enumerate(self.events):
                if event.get('method') == method and match(event.get('params', {})):
                    return self.events.pop(i)['params']
            left = deadline - time.monotonic()
            if left <= 0:
                raise BrowserError(f'no {method} within {timeout} s')
            self.events.append(self._read_message(left))

    # --- the page ---------------------------------------------------------------------

    def size(self, width, height):
        self.call('Emulation.setDeviceMetricsOverride', session=True, width=width, height=height,
                  deviceScaleFactor=1, mobile=False)

    def open(self, url):
        self.events = []
        self.call('Page.navigate', session=True, url=url)
        self.wait_event('Page.loadEventFired', timeout=120)

    def evaluate(self, expression, timeout=120, gesture=False):
        """The value of a JavaScript expression in the page; with `gesture`, run as a user's
        action (a click that downloads a file needs one once the page has downloaded another)."""
        result = self.call('Runtime.evaluate', session=True, timeout=timeout, expression=expression,
                           returnByValue=True, awaitPromise=True, userGesture=gesture)
        if 'exceptionDetails' in result:
            raise BrowserError(f'{expression[:80]}: {result["exceptionDetails"]}')
        return result['result'].get('value')

    def wait_for(self, expression, timeout=300, interval=0.05):
        """Polls until the expression is true; returns its last value."""
        deadline = time.monotonic() + timeout
        while True:
            value = self.evaluate(expression)
            if value:
                return value
            if time.monotonic() > deadline:
                raise BrowserError(f'{expression} still false after {timeout} s')
            time.sleep(interval)

    def console_problems(self):
        """Policy refusals and uncaught errors that reached the console or the log."""
        problems = []
        for event in self.events:
            params = event.get('params', {})
            if event.get('method') == 'Runtime.exceptionThrown':
                problems.append(str(params.get('exceptionDetails', {}).get('text')))
            elif event.get('method') == 'Log.entryAdded':
                entry = params.get('entry', {})
                if entry.get('level') == 'error' or 'Content Security Policy' in entry.get('text', ''):
                    problems.append(entry.get('text', ''))
            elif event.get('method') == 'Runtime.consoleAPICalled' and params.get('type') == 'error':
                problems.append(' '.join(str(arg.get('value')) for arg in params.get('args', [])))
        return problems

    def choose_files(self, selector, paths):
        document = self.call('DOM.getDocument', session=True)['root']['nodeId']
        node = self.call('DOM.querySelector', session=True, nodeId=document, selector=selector)['nodeId']
        self.call('DOM.setFileInputFiles', session=True, nodeId=node, files=[os.path.abspath(p) for p in paths])

    def download_to(self, folder):
        self.call('Browser.setDownloadBehavior', behavior='allow', downloadPath=os.path.abspath(folder),
                  eventsEnabled=True)

    def download(self, selector, timeout=120):
        """Clicks the download link `selector` and waits until its file is complete."""
        self.evaluate(f'document.querySelector({json.dumps(selector)}).click()', gesture=True)
        begun = self.wait_event('Browser.downloadWillBegin', timeout)
        self.wait_event('Browser.downloadProgress', timeout,
                        lambda params: params.get('guid') == begun['guid'] and params.get('state') == 'completed')
        return begun['suggestedFilename']

    def screenshot(self, path, full_page=True):
        params = {'format': 'png'}
        if full_page:
            metrics = self.call('Page.getLayoutMetrics', session=True)
            content = metrics.get('cssContentSize') or metrics['contentSize']
            params.update(captureBeyondViewport=True,
                          clip={'x': 0, 'y': 0, 'width': content['width'], 'height': content['height'], 'scale': 1})
        data = self.call('Page.captureScreenshot', session=True, **params)['data']
        with open(path, 'wb') as handle:
            handle.write(base64.b64decode(data))
