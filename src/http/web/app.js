// The web view of a Talvo reading session: loads the tag table, the readers and the counters from the
// JSON API, then keeps them current from the live stream. Plain script, no framework.
'use strict';

const TEXTS = {
  'zh-Hant': {
    'Talvo Utility web view': 'Talvo Utility 網頁檢視', 'Language': '語言', 'Reports': '報告數',
    'Reports/s': '報告/秒', 'Tags': '標籤', 'Readers': '讀卡機', 'Reader': '讀卡機', 'Dropped': '已濾除',
    'Skipped live events': '略過的即時事件', 'Up': '運行', 'State': '狀態', 'Last seen': '最後讀取',
    'First seen': '首次讀取', 'Problems': '問題', 'Tag ID Filter :': '標籤序號過濾:', 'UID': '標籤序號',
    'RSSI': 'RSSI', 'LQI': 'LQI', 'DI': 'DI', 'T1': 'T1', 'T2': 'T2', 'Count': '讀取次數', 'Alarms': '警示',
    'Tamper Alarm': '防拆警示', 'Low battery': '電池電量低', 'Temperature Alarm': '超溫偵測',
    'connected': '已連線', 'reporting': '回報中', 'disconnected': '已斷線', 'live': '即時連線中',
    'lost': '連線中斷，重新連線中', 'showing %1 of %2': '顯示 %1 / %2',
  },
  'zh-Hans': {
    'Talvo Utility web view': 'Talvo Utility 网页视图', 'Language': '语言', 'Reports': '报告数',
    'Reports/s': '报告/秒', 'Tags': '标签', 'Readers': '读卡机', 'Reader': '读卡机', 'Dropped': '已滤除',
    'Skipped live events': '跳过的实时事件', 'Up': '运行', 'State': '状态', 'Last seen': '最后读取',
    'First seen': '首次读取', 'Problems': '问题', 'Tag ID Filter :': '标签序号过滤:', 'UID': '标签序号',
    'RSSI': 'RSSI', 'LQI': 'LQI', 'DI': 'DI', 'T1': 'T1', 'T2': 'T2', 'Count': '读取次数', 'Alarms': '警示',
    'Tamper Alarm': '防拆警示', 'Low battery': '电池电量低', 'Temperature Alarm': '超温侦测',
    'connected': '已连接', 'reporting': '回报中', 'disconnected': '已断开', 'live': '实时连接中',
    'lost': '连接中断，正在重新连接', 'showing %1 of %2': '显示 %1 / %2',
  },
};
const MAX_ROWS = 1000; // rows drawn at once; the filter narrows the rest
const RELOAD_MS = 5000; // after a gap the table is fetched again, at most this often
const NUMERIC = new Set(['rssi', 'lqi', 'count']);

const state = {
  lang: 'en', tags: new Map(), readers: [], stats: null, skipped: 0,
  sortKey: null, sortDesc: false, filter: '', drawPending: false, socket: null,
  loadedAt: 0, reloadTimer: null,
};

function chooseLanguage() {
  const saved = localStorage.getItem('talvo-lang');
  if (saved && (saved === 'en' || TEXTS[saved])) return saved;
  for (const l of navigator.languages || [navigator.language || 'en']) {
    const low = l.toLowerCase();
    if (/^zh-(tw|hk|mo|hant)/.test(low)) return 'zh-Hant';
    if (low.startsWith('zh')) return 'zh-Hans';
    if (low.startsWith('en')) return 'en';
  }
  return 'en';
}

function t(text) {
  const table = TEXTS[state.lang];
  return (table && table[text]) || text;
}

function applyLanguage() {
  document.documentElement.lang = state.lang;
  for (const el of document.querySelectorAll('[data-text]')) el.textContent = t(el.dataset.text);
  document.title = t('Talvo Utility web view');
  document.getElementById('lang').value = state.lang;
  draw();
}

function alarmsOf(tag) {
  const out = [];
  if (tag.tamper) out.push(['alarm-tamper', 'Tamper Alarm']);
  if (tag.low_battery) out.push(['alarm-battery', 'Low battery']);
  if (tag.temperature_alarm) out.push(['alarm-temperature', 'Temperature Alarm']);
  return out;
}

function cell(row, text, cls) {
  const td = row.insertCell();
  td.textContent = text;
  if (cls) td.className = cls;
  return td;
}

function localTime(iso) {
  if (!iso) return '';
  const d = new Date(iso);
  return isNaN(d) ? iso : d.toLocaleString(state.lang === 'en' ? undefined : state.lang);
}

function sortedTags() {
  const f = state.filter.toUpperCase();
  let list = [...state.tags.values()].filter((tag) => !f || tag.uid.toUpperCase().startsWith(f));
  const key = state.sortKey;
  if (key) {
    const value = key === 'alarms' ? (tag) => alarmsOf(tag).length : (tag) => tag[key];
    list.sort((a, b) => {
      const x = value(a), y = value(b);
      const c = NUMERIC.has(key) || key === 'alarms' ? x - y : String(x).localeCompare(String(y));
      return state.sortDesc ? -c : c;
    });
  }
  return list;
}

function drawTags() {
  const list = sortedTags();
  const body = document.createElement('tbody');
  body.id = 'tag-rows';
  for (const tag of list.slice(0, MAX_ROWS)) {
    const row = body.insertRow();
    row.dataset.uid = tag.uid;
    const alarms = alarmsOf(tag);
    if (alarms.length) row.className = 'alarm';
    cell(row, tag.uid);
    cell(row, tag.reader);
    cell(row, tag.rssi, 'num');
    cell(row, tag.lqi, 'num');
    cell(row, tag.di || '-');
    cell(row, tag.t1);
    cell(row, tag.t2);
    cell(row, tag.count, 'num');
    cell(row, localTime(tag.first_seen));
    cell(row, localTime(tag.last_seen));
    const td = cell(row, '', 'alarms');
    for (const [cls, text] of alarms) {
      const span = document.createElement('span');
      span.className = 'flag ' + cls;
      span.textContent = t(text);
      td.appendChild(span);
    }
  }
  document.getElementById('tag-rows').replaceWith(body);
  document.getElementById('shown').textContent =
    t('showing %1 of %2').replace('%1', Math.min(list.length, MAX_ROWS)).replace('%2', state.tags.size);
  for (const th of document.querySelectorAll('#tags th[data-key]')) {
    th.classList.toggle('sorted-asc', th.dataset.key === state.sortKey && !state.sortDesc);
    th.classList.toggle('sorted-desc', th.dataset.key === state.sortKey && state.sortDesc);
  }
}

function drawReaders() {
  const body = document.createElement('tbody');
  body.id = 'reader-rows';
  for (const r of state.readers) {
    const row = body.insertRow();
    row.dataset.label = r.label;
    cell(row, r.label);
    cell(row, t(r.state), 'state state-' + r.state);
    cell(row, r.reports, 'num');
    cell(row, localTime(r.last_seen));
    const last = r.problems && r.problems.length ? r.problems[r.problems.length - 1] : null;
    cell(row, last ? last.text : '');
  }
  document.getElementById('reader-rows').replaceWith(body);
}

function drawCounters() {
  const s = state.stats;
  if (!s) return;
  const d = s.dropped || {};
  document.getElementById('c-reports').textContent = s.reports;
  document.getElementById('c-rate').textContent = Math.round(s.rate_per_s);
  document.getElementById('c-tags').textContent = s.tags;
  document.getElementById('c-readers').textContent = s.readers;
  document.getElementById('c-dropped').textContent = (d.by_filter || 0) + (d.by_uid_check || 0) + (d.by_rssi || 0);
  document.getElementById('c-gaps').textContent = state.skipped;
  const up = Math.floor(s.uptime_s);
  document.getElementById('c-uptime').textContent =
    Math.floor(up / 3600) + ':' + String(Math.floor(up / 60) % 60).padStart(2, '0') + ':' + String(up % 60).padStart(2, '0');
}

function draw() {
  drawTags();
  drawReaders();
  drawCounters();
}

// Many events arrive per second: draw at most a few times a second.
function scheduleDraw() {
  if (state.drawPending) return;
  state.drawPending = true;
  setTimeout(() => { state.drawPending = false; draw(); }, 250);
}

async function getJson(path) {
  const reply = await fetch(path, { cache: 'no-store' });
  if (!reply.ok) throw new Error(path + ': ' + reply.status);
  return reply.json();
}

async function loadTags() {
  state.loadedAt = Date.now();
  const tags = await getJson('api/v1/tags');
  state.tags = new Map(tags.map((tag) => [tag.uid, tag]));
  scheduleDraw();
}

async function loadStatus() {
  try {
    [state.readers, state.stats] = await Promise.all([getJson('api/v1/readers'), getJson('api/v1/stats')]);
    scheduleDraw();
  } catch (e) {
    setLinkState('lost');
  }
}

function setLinkState(s) {
  const el = document.getElementById('link-state');
  el.dataset.text = s;
  el.textContent = t(s);
  el.className = 'state state-' + s;
}

function handleEvent(e) {
  if (e.type === 'tag' || e.type === 'report') {
    state.tags.set(e.uid, e);
  } else if (e.type === 'gap') {
    state.skipped += e.skipped;
    reloadAfterGap();
  } else if (e.type === 'reader' || e.type === 'problem') {
    loadStatus();
  }
}

// Under a flood of new tags every batch may come with a gap: catch up, but not more often than
// RELOAD_MS, so that the page never asks for the whole table many times a second.
function reloadAfterGap() {
  if (state.reloadTimer) return;
  const wait = Math.max(0, state.loadedAt + RELOAD_MS - Date.now());
  state.reloadTimer = setTimeout(() => {
    state.reloadTimer = null;
    loadTags().catch(() => {});
  }, wait);
}

function connectStream() {
  const url = new URL('api/v1/stream', location.href);
  url.protocol = location.protocol === 'https:' ? 'wss:' : 'ws:';
  const socket = new WebSocket(url);
  socket.binaryType = 'arraybuffer';
  const decoder = new TextDecoder();
  socket.onopen = () => { setLinkState('live'); loadTags().catch(() => {}); };
  socket.onmessage = (m) => {
    const text = typeof m.data === 'string' ? m.data : decoder.decode(m.data);
    for (const e of JSON.parse(text)) handleEvent(e);
    scheduleDraw();
  };
  socket.onclose = () => { setLinkState('lost'); setTimeout(connectStream, 2000); };
  state.socket = socket;
}

function init() {
  state.lang = chooseLanguage();
  document.getElementById('lang').addEventListener('change', (e) => {
    state.lang = e.target.value;
    localStorage.setItem('talvo-lang', state.lang);
    applyLanguage();
  });
  document.getElementById('uid-filter').addEventListener('input', (e) => {
    state.filter = e.target.value.trim();
    drawTags();
  });
  for (const th of document.querySelectorAll('#tags th[data-key]')) {
    th.addEventListener('click', () => {
      state.sortDesc = state.sortKey === th.dataset.key ? !state.sortDesc : false;
      state.sortKey = th.dataset.key;
      drawTags();
    });
  }
  applyLanguage();
  loadTags().catch(() => setLinkState('lost'));
  loadStatus();
  setInterval(loadStatus, 2000);
  connectStream();
}

document.addEventListener('DOMContentLoaded', init);
