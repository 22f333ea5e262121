// The console's pages: static HTML, one script that fills them from the JSON every second, and a
// style sheet. Data is put in with textContent only: nothing a host or terminal sends becomes markup.
#include "admin_server.h"

namespace vantor::gateway {

const char* const kListPage = R"HTML(<!doctype html>
<html lang="en"><head><meta charset="utf-8"><title>vantor-gateway: terminals</title>
<link rel="stylesheet" href="/console.css"><script src="/console.js" defer></script></head>
<body data-page="list">
<h1>Terminals</h1>
<p><label>Terminal id <input id="filter" inputmode="numeric" autocomplete="off"></label> <span id="note"></span></p>
<table><thead><tr><th>Id</th><th>Address</th><th>State</th><th>Connected since</th><th>Screens</th>
<th>Last activity</th><th>Keyboard</th><th>TLS</th></tr></thead><tbody id="terminals"></tbody></table>
</body></html>
)HTML";

const char* const kTerminalPage = R"HTML(<!doctype html>
<html lang="en"><head><meta charset="utf-8"><title>vantor-gateway: terminal</title>
<link rel="stylesheet" href="/console.css"><script src="/console.js" defer></script></head>
<body data-page="terminal">
<p><a href="/">Terminals</a></p>
<h1 id="title">Terminal</h1>
<p id="state"></p>
<div class="side">
<div>
<div id="screen" class="screen"></div>
<p id="keyboard"></p>
<p id="dialog" hidden></p>
<p id="labels"></p>
<table><thead><tr><th>Field</th><th>Kind</th><th>Value</th><th></th></tr></thead><tbody id="fields"></tbody></table>
</div>
<div><h2>Last records</h2><pre id="records"></pre></div>
</div>
</body></html>
)HTML";

const char* const kLoginPage = R"HTML(<!doctype html>
<html lang="en"><head><meta charset="utf-8"><title>vantor-gateway: console</title>
<link rel="stylesheet" href="/console.css"></head>
<body><h1>vantor-gateway console</h1>
<form method="post" action="/login"><p>{why}</p>
<p><label>Token <input type="password" name="token" autocomplete="current-password" autofocus></label>
<button type="submit">Open</button></p></form>
</body></html>
)HTML";

const char* const kConsoleScript = R"JS('use strict';
const $ = (id) => document.getElementById(id);

function el(tag, text, className) {
  const made = document.createElement(tag);
  if (text !== undefined) made.textContent = text;
  if (className) made.className = className;
  return made;
}

function ago(seconds) {
  if (seconds < 60) return Math.floor(seconds) + ' s';
  if (seconds < 3600) return Math.floor(seconds / 60) + ' min';
  return Math.floor(seconds / 3600) + ' h ' + Math.floor((seconds % 3600) / 60) + ' min';
}

async function fetchJson(url) {
  const response = await fetch(url, {cache: 'no-store', credentials: 'same-origin'});
  if (!response.ok) throw new Error(String(response.status));
  return response.json();
}

function every(milliseconds, work) {
  const run = async () => {
    try {
      await work();
    } catch (error) {
      const note = $('note');
      if (note) note.textContent = 'no answer from the gateway (' + error.message + ')';
    }
    setTimeout(run, milliseconds);
  };
  run();
}

function listPage() {
  const filter = $('filter');
  let last = null;
  const draw = () => {
    if (!last) return;
    const wanted = filter.value.trim();
    const shown = last.terminals.filter((t) => !wanted || t.id.includes(wanted))
                                .sort((a, b) => Number(a.id) - Number(b.id));
    $('terminals').replaceChildren(...shown.map((t) => {
      const row = el('tr', undefined, t.state);
      row.dataset.id = t.id;
      row.dataset.state = t.state;
      const link = el('a', t.id || '(none)');
      link.href = '/terminal/' + encodeURIComponent(t.id);
      const id = el('td');
      id.append(link);
      row.append(id, el('td', t.peer), el('td', t.state + ' for ' + ago(t.forSeconds), 'state'),
                 el('td', new Date(t.connected).toLocaleString()), el('td', String(t.screens)),
                 el('td', new Date(t.lastActivity).toLocaleTimeString()),
                 el('td', t.keyboardLocked ? 'locked' : 'ready', 'keyboard'), el('td', t.tls));
      row.onclick = () => { location.href = link.href; };
      return row;
    }));
    $('note').textContent = shown.length + ' of ' + last.terminals.length + ' terminals at ' +
                            new Date(last.time).toLocaleTimeString();
  };
  filter.oninput = draw;
  every(1000, async () => { last = await fetchJson('/api/terminals'); draw(); });
}

function drawScreen(screen) {
  const rows = screen.lines.map((line) => Array.from(line).map((c) => ({c, marks: ''})));
  for (const field of screen.fields) {
    if (field.hidden) continue;
    let marks = '';
    if (field.video === 'reverse') marks += ' reverse';
    if (field.video === 'bold') marks += ' bold';
    if (field.kind === 'entry') marks += ' entry';
    if (field.focus) marks += ' focus';
    const row = rows[field.row];
    for (let i = 0; row && marks && i < field.length; ++i) {
      if (row[field.col + i]) row[field.col + i].marks += marks;
    }
  }
  $('screen').replaceChildren(...rows.map((row) => {
    const line = el('div', undefined, 'row');
    let span = null, marks = null;
    for (const cell of row) {
      if (cell.marks !== marks) {
        marks = cell.marks;
        span = el('span', '', marks.trim());
        line.append(span);
      }
      span.textContent += cell.c;
    }
    return line;
  }));
}

function fieldValue(field) {
  if (field.kind === 'checkbox' || field.kind === 'radio') return (field.checked ? '[on] ' : '[off] ') + field.label;
  if (field.kind === 'button' || field.kind === 'select') return '<' + field.label + '>' + (field.checked ? ' selected' : '');
  return field.text;
}

function drawTerminal(t) {
  $('state').textContent = t.state + ' for ' + ago(t.forSeconds) + ' · ' + t.peer + ' · connected since ' +
                           new Date(t.connected).toLocaleString() + ' · ' + t.screens + ' screens · TLS ' + t.tls;
  $('records').textContent = t.records.join('\n');
  const screen = t.screen;
  if (!screen) {
    $('screen').textContent = '(this session keeps no screen)';
    return;
  }
  drawScreen(screen);
  const status = screen.status;
  $('keyboard').textContent = status.keyboard === 'locked'
      ? 'Keyboard locked' + (status.lock !== 'none' ? ' (' + status.lock + ' lock shown)' : '') : 'Keyboard ready';
  $('keyboard').className = status.keyboard;
  $('dialog').hidden = status.dialog === 'none';
  $('dialog').textContent = status.dialog === 'none' ? ''
      : (status.dialog === 'prompt' ? 'Host prompt: ' : 'Host message: ') + status.message;
  $('labels').textContent = Object.entries(status.labels).map(([code, label]) => code + '=' + label).join('  ');
  $('fields').replaceChildren(...screen.fields.filter((f) => f.kind !== 'text' && f.kind !== 'system').map((f) => {
    const row = el('tr', undefined, f.focus ? 'focus' : '');
    row.dataset.field = f.id;
    row.append(el('td', String(f.id)), el('td', f.kind + (f.password ? ' (password)' : '')),
               el('td', fieldValue(f), 'value'), el('td', f.focus ? 'focus' : ''));
    return row;
  }));
}

function terminalPage() {
  const id = decodeURIComponent(location.pathname.split('/').pop());
  $('title').textContent = 'Terminal ' + id;
  document.title = 'vantor-gateway: terminal ' + id;
  every(500, async () => {
    try {
      drawTerminal(await fetchJson('/api/terminals/' + encodeURIComponent(id)));
    } catch (error) {
      $('state').textContent = error.message === '404' ? 'no session with this id' : 'no answer (' + error.message + ')';
    }
  });
}

if (document.body.dataset.page === 'list') listPage();
if (document.body.dataset.page === 'terminal') terminalPage();
)JS";

const char* const kConsoleStyle = R"CSS(body { font-family: sans-serif; margin: 1em 2em; color: #222; }
table { border-collapse: collapse; }
th, td { text-align: left; padding: 0.2em 0.8em; border-bottom: 1px solid #ddd; }
tbody tr:hover { background: #f3f6ff; cursor: pointer; }
tr.held td.state { color: #b35c00; font-weight: bold; }
tr.attached td.state { color: #18702c; }
td.keyboard { font-family: monospace; }
.side { display: flex; gap: 2em; align-items: flex-start; flex-wrap: wrap; }
.screen { font-family: "Liberation Mono", "DejaVu Sans Mono", monospace; white-space: pre; background: #fdfdf6;
          border: 2px solid #555; padding: 0.3em; line-height: 1.25; display: inline-block; }
.screen .reverse { background: #222; color: #fdfdf6; }
.screen .bold { font-weight: bold; }
.screen .entry { text-decoration: underline; }
.screen .focus { background: #ffe48a; outline: 1px solid #e08a00; }
.screen .reverse.focus { background: #8a5a00; }
#keyboard.locked { color: #b00; font-weight: bold; }
#dialog { border: 2px solid #b00; padding: 0.4em; background: #fff4f4; font-weight: bold; }
tr.focus td { background: #fff3c4; }
pre#records { font-size: 0.8em; max-width: 70ch; overflow-x: auto; background: #f6f6f6; padding: 0.5em; }
)CSS";

}  // namespace vantor::gateway
