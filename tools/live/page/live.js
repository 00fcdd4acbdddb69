// The live simulator's page: it asks the server (same origin, JSON) to act on the phone's host
// processes and shows each process's screen with its view tree.
'use strict';

const page = {
  state: null,      // the last /api/state
  process: 'springboard',
  shown: {},        // process -> the screen URL on show
  tree: null,       // the tree of the process on show
  selected: null,   // the selected view's record
  selectedPath: null,  // where it stands in the tree
  history: [],      // {process, action} or {edit: [talvocb words]}
};

const $ = id => document.getElementById(id);

async function api(path, options = {}) {
  const response = await fetch(path, options);
  const body = await response.json();
  return {status: response.status, body};
}

function postJSON(path, value) {
  return api(path, {
    method: 'POST',
    headers: {'Content-Type': 'application/json'},
    body: JSON.stringify(value),
  });
}

function say(text, bad) {
  $('status').textContent = text;
  $('status').className = bad ? 'bad' : '';
}

// --- The processes and their screens ------------------------------------------------------

function processNamed(key) {
  return page.state.processes.find(p => p.key === key);
}

function showProcesses() {
  const nav = $('processes');
  nav.replaceChildren();
  const select = $('line-process');
  const chosen = select.value || page.process;
  select.replaceChildren();
  for (const process of page.state.processes) {
    const button = document.createElement('button');
    button.textContent = process.title + (process.running ? '' : ' (not running)');
    button.className = (process.key === page.process ? 'current ' : '') +
        (process.running ? '' : 'stopped');
    button.dataset.process = process.key;
    button.addEventListener('click', () => choose(process.key));
    nav.append(button);
    const option = new Option(process.title, process.key, false, process.key === chosen);
    select.append(option);
  }
}

function showSwitches() {
  const box = $('switches');
  box.replaceChildren();
  for (const [key, on] of Object.entries(page.state.settings)) {
    const label = document.createElement('label');
    const check = document.createElement('input');
    check.type = 'checkbox';
    check.checked = on;
    check.dataset.key = key;
    check.addEventListener('change', () =>
        act('settings', `switch ${key} ${check.checked ? 'on' : 'off'}`));
    label.append(check, ' ' + key.replace(/^TalvoCB/, ''));
    box.append(label);
  }
}

async function refreshState() {
  const {body} = await api('/api/state');
  page.state = body;
  const phones = $('phone');
  if (!phones.options.length) {
    for (const name of body.profiles) phones.append(new Option(name, name));
  }
  phones.value = body.profile;
  $('phone-description').textContent = body.phone + (body.failure ? ' — ' + body.failure : '');
  showProcesses();
  showSwitches();
  const current = processNamed(page.process);
  if (current && version(current.screen) > version(page.shown[page.process])) await showScreen();
}

// The recording a screen URL names ("...png?v=12"): a state asked for before an action's answer
// names an older one, which must not replace what the answer showed.
function version(url) {
  return Number(/[?&]v=(\d+)/.exec(url || '')?.[1] || 0);
}

async function showScreen() {
  const process = processNamed(page.process);
  const {status, body} = await api(`/api/tree/${page.process}.json`);
  page.tree = status === 200 ? body : null;
  page.shown[page.process] = process.screen;
  $('screen').src = process.screen;
  showTree();
}

// The place of a view in its tree, as the indexes of the subviews that lead to it.
function pathTo(view, root = page.tree, path = []) {
  if (root === view) return path;
  for (const [i, child] of (root.subviews || []).entries()) {
    const found = pathTo(view, child, [...path, i]);
    if (found) return found;
  }
  return null;
}

function choose(key) {
  page.process = key;
  page.selected = page.selectedPath = null;
  showProcesses();
  showScreen();
}

// --- Acting -------------------------------------------------------------------------------

async function act(process, action) {
  say(`${process}: ${action} …`);
  const started = performance.now();
  const {status, body} = await postJSON('/api/do', {process, action});
  const took = Math.round(performance.now() - started);
  if (status === 200) {
    page.history.push({process, action});
    say(`${process}: ${action} — done in ${took} ms` +
        (body.restarted ? ` (${body.restarted})` : ''));
    $('answer').textContent = body.output.join('\n');
    page.process = process;
    page.tree = body.tree;
    page.selected = page.selectedPath = null;
    page.shown[process] = body.screen;
    $('screen').src = body.screen;
    showTree();
  } else {
    say(`${process}: ${action} — ${body.error}` + (body.restarted ? ` (${body.restarted})` : ''),
        true);
  }
  showHistory();
  await refreshState();
}

async function edit(path, request, words) {
  say(`${words.join(' ')} …`);
  const {status, body} = await api(path, request);
  if (status === 200) {
    page.history.push({edit: words});
    say(`${words.join(' ')} — done`);
  } else {
    say(`${words.join(' ')} — ${body.error}`, true);
  }
  showHistory();
  page.shown = {};
  await refreshState();
}

function wireControls() {
  $('call-form').addEventListener('submit', event => {
    event.preventDefault();
    const at = $('at').value.trim();
    act(page.process, `call ${$('party').value.trim()}` + (at ? ` at ${at}` : ''));
  });
  $('search-form').addEventListener('submit', event => {
    event.preventDefault();
    act(page.process, `search ${$('search').value.trim()}`);
  });
  for (const button of document.querySelectorAll('[data-action]')) {
    button.addEventListener('click', () => act(page.process, button.dataset.action));
  }
  for (const button of document.querySelectorAll('[data-settings]')) {
    button.addEventListener('click', () => act('settings', button.dataset.settings));
  }
  $('line-form').addEventListener('submit', event => {
    event.preventDefault();
    act($('line-process').value, $('line').value.trim());
  });
  $('name-form').addEventListener('submit', event => {
    event.preventDefault();
    const id = $('contact').value, first = $('first').value, last = $('last').value;
    edit(`/api/contact/${id}/name`, {
      method: 'POST',
      headers: {'Content-Type': 'application/json'},
      body: JSON.stringify({first, last}),
    }, ['addressbook', 'set-name', '--', id, first, last]);
  });
  $('photo-form').addEventListener('submit', event => {
    event.preventDefault();
    const id = $('contact').value, file = $('photo').files[0];
    if (!id || !file) return say('Choose a contact and a PNG or JPEG picture', true);
    edit(`/api/contact/${id}/photo`, {
      method: 'POST', headers: {'Content-Type': file.type}, body: file,
    }, ['addressbook', 'set-photo', '--', id, file.name]);
  });
  $('phone').addEventListener('change', async () => {
    say(`Starting ${$('phone').value} …`);
    const {status, body} = await postJSON('/api/phone', {profile: $('phone').value});
    say(status === 200 ? `${body.phone} started` : body.error || body.failure, status !== 200);
    page.shown = {};
    page.history = [];
    showHistory();
    await refreshState();
  });
  $('copy-history').addEventListener('click', copyHistory);
  $('screen').addEventListener('click', pickView);
}

// --- History ------------------------------------------------------------------------------

function showHistory() {
  const list = $('history');
  list.replaceChildren();
  for (const step of page.history) {
    const item = document.createElement('li');
    item.textContent = step.edit ? `talvocb ${step.edit.join(' ')}` : `${step.process}: ${step.action}`;
    list.append(item);
  }
}

function shellQuoted(word) {
  return /^[\w@%+=:,./-]+$/.test(word) ? word : `'${word.replace(/'/g, `'\\''`)}'`;
}

// A command per run of steps: the host of a process with its actions (its first lines too),
// and the tool for each edit, in the order they were done.
function historyCommands() {
  const lines = [];
  let run = null;
  for (const step of page.history) {
    if (step.edit) {
      run = null;
      lines.push(['talvocb', '--root', page.state.device, ...step.edit]);
      continue;
    }
    if (!run || run.process !== step.process) {
      const process = processNamed(step.process);
      run = {process: step.process, words: [...process.command]};
      for (const line of process.opening) run.words.push('--do', line);
      lines.push(run.words);
    }
    run.words.push('--do', step.action);
  }
  return lines.map(words => words.map(shellQuoted).join(' ')).join('\n');
}

async function copyHistory() {
  const box = $('history-commands');
  box.value = historyCommands();
  box.hidden = false;
  box.select();
  try {
    await navigator.clipboard.writeText(box.value);
    say('Copied');
  } catch {
    say('Selected: copy it with the keyboard');
  }
}

// --- The view tree ------------------------------------------------------------------------

function describe(view) {
  const parts = [view.class];
  if (typeof view.text === 'string') parts.push(`“${view.text}”`);
  if (typeof view.image === 'string') parts.push(`[${view.image}]`);
  if ('on' in view) parts.push(view.on ? 'on' : 'off');
  if (view.hidden) parts.push('hidden');
  return parts.join(' ');
}

// A new tree of the same process keeps the selection where a view stands at the same place.
function showTree() {
  const root = $('tree');
  root.replaceChildren();
  if (page.tree && page.selectedPath) {
    let view = page.tree;
    for (const i of page.selectedPath) view = view && (view.subviews || [])[i];
    page.selected = view || null;
  }
  if (page.tree) root.append(treeNode(page.tree));
  showSelected();
}

function treeNode(view) {
  const item = document.createElement('div');
  item.className = 'node';
  const line = document.createElement('button');
  line.type = 'button';
  line.className = 'view' + (view === page.selected ? ' selected' : '');
  line.textContent = describe(view);
  line.addEventListener('click', () => select(view));
  view.line = line;
  item.append(line);
  for (const child of view.subviews || []) item.append(treeNode(child));
  return item;
}

function select(view) {
  if (page.selected && page.selected.line) page.selected.line.classList.remove('selected');
  page.selected = view;
  page.selectedPath = pathTo(view);
  if (view.line) {
    view.line.classList.add('selected');
    view.line.scrollIntoView({block: 'nearest'});
  }
  const contact = /contact (\d+)/.exec(view.image || '');
  if (contact) $('contact').value = contact[1];
  showSelected();
}

function showSelected() {
  const view = page.selected, outline = $('outline');
  $('selected').textContent = view ?
      `${describe(view)} — frame ${view.frame.join(', ')}, alpha ${view.alpha}, tag ${view.tag}` :
      'Click a view in the screen or in the tree.';
  if (!view || !page.tree) return void (outline.hidden = true);
  const scale = $('screen').clientWidth / page.tree.frame[2];
  const [x, y, width, height] = view.frame;
  Object.assign(outline.style, {
    left: `${x * scale}px`, top: `${y * scale}px`,
    width: `${width * scale}px`, height: `${height * scale}px`,
  });
  outline.hidden = false;
}

// The frontmost shown view under a point of the window: later subviews lie in front.
function viewAt(view, x, y) {
  if (view.hidden || view.alpha === 0) return null;
  const [left, top, width, height] = view.frame;
  const inside = x >= left && y >= top && x < left + width && y < top + height;
  for (const child of [...(view.subviews || [])].reverse()) {
    const found = viewAt(child, x, y);
    if (found) return found;
  }
  return inside ? view : null;
}

function pickView(event) {
  if (!page.tree) return;
  const scale = $('screen').clientWidth / page.tree.frame[2];
  const view = viewAt(page.tree, event.offsetX / scale, event.offsetY / scale);
  if (view) select(view);
}

window.addEventListener('resize', showSelected);
wireControls();
refreshState().catch(error => say(String(error), true));
// Another process may redraw on its own (a notification): its screen is fetched when it changes.
// The next look waits for the last answer, so that a slow server never gets a pile of them.
async function keepLooking() {
  try {
    await refreshState();
  } catch {
    say('The server does not answer', true);
  }
  setTimeout(keepLooking, 2000);
}
setTimeout(keepLooking, 2000);
