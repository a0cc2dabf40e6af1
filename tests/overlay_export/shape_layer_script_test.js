'use strict';
// Runs the Create Shape Layer script that a real render produced against the
// model of the host's scripting objects:
//   node shape_layer_script_test.js SCRIPT.js 'COLOUR LINE' 'WIDTH LINE'
// The script must parse as ECMAScript 3. Its body (everything after the
// data lines) is then run with data of our own for each case, and the layer
// it builds is compared with the steps worked out here, independently.

const assert = require('assert');
const fs = require('fs');
const vm = require('vm');
const acorn = require('acorn');
const walk = require('acorn-walk');
const {createHost, describeLayers} = require('./host_script_model');

const [scriptPath, colourLine, widthLine] = process.argv.slice(2);
if (!scriptPath || !colourLine || !widthLine) {
  console.error('usage: node shape_layer_script_test.js SCRIPT.js COLOUR_LINE WIDTH_LINE');
  process.exit(2);
}
const realScript = fs.readFileSync(scriptPath, 'utf8');

const HEAD = '$.global.SpindrelSetup = function() {\n';
const DATA_LINE = /^var data=\{paths:\[.*\],width:-?\d+,height:-?\d+\};\n/;
const COLOUR_LINES = /^var strokeColor=\[[^\]\n]*\];\nvar strokeWidth=-?\d+;\n/;
const SCHEDULE = "$.global.SpindrelSetup();";
const UNDO_NAME = 'Spindrel: Create Shape Layer';
const DONE_TAIL = ' letter group(s) created.\nPress U to see keyframes. F9 for Easy Ease.';
const FILTERED = 'All paths filtered! Lower the Min stroke length.';

// --- The real script, cut into its data and its body ------------------------

function splitScript(script) {
  assert.ok(script.startsWith(HEAD), 'the script opens $.global.SpindrelSetup');
  const afterHead = script.slice(HEAD.length);
  const data = DATA_LINE.exec(afterHead);
  assert.ok(data, 'the data line follows');
  const colours = COLOUR_LINES.exec(afterHead.slice(data[0].length));
  assert.ok(colours, 'the colour and width lines follow');
  return {
    dataLine: data[0],
    colourLines: colours[0],
    body: afterHead.slice(data[0].length + colours[0].length),
  };
}

const real = splitScript(realScript);
const realData = vm.runInNewContext(`${real.dataLine}data`);

function numberText(value) {
  return String(value);
}

// A script for our own data: paths are point lists (open) or {closed, points}.
function scriptFor(paths, width, height, {color = [1, 1, 1], strokeWidth = 2} = {}) {
  let text = `${HEAD}var data={paths:[`;
  for (const path of paths) {
    const points = Array.isArray(path) ? path : path.points;
    const closed = Array.isArray(path) ? false : path.closed;
    text += `{closed:${closed},points:[`;
    for (const [x, y] of points) text += `[${numberText(x)},${numberText(y)}],`;
    text += ']},';
  }
  text += `],width:${width},height:${height}};\n`;
  text += `var strokeColor=[${color.map((c) => c.toFixed(4)).join(',')}];\nvar strokeWidth=${strokeWidth};\n`;
  return text + real.body;
}

function dataOf(paths, width, height) {
  return {
    width,
    height,
    paths: paths.map((p) => (Array.isArray(p) ? {closed: false, points: p} : p)),
  };
}

// --- Running a script in the model -----------------------------------------------

// The user's answers: slider values, texts, the checkbox and radio buttons
// as the user leaves them, and the button pressed last.
function answer(ui, answers) {
  if (answers.inspect) answers.inspect(ui);
  if (answers.smoothness !== undefined) ui.slide(0, answers.smoothness);
  if (answers.duration !== undefined) ui.type(0, answers.duration);
  if (answers.minLength !== undefined) ui.slide(1, answers.minLength);
  if (answers.rightToLeft) ui.click('radiobutton', 1);
  if (answers.delay !== undefined) ui.type(1, answers.delay);
  if (answers.byLetter === false) ui.click('checkbox', 0);
  if (answers.press === 'close') ui.closeBox();
  else ui.press(answers.press || 'Create Paths');
}

function run(script, {comp = {time: 0, duration: 30}, answers = {}, faults} = {}) {
  const host = createHost({comp, faults, user: (ui) => answer(ui, answers)});
  vm.runInContext(script, host.context, {filename: 'shape_layer_script.js'});
  assert.deepStrictEqual(plain(host.tasks), [{code: SCHEDULE, delay: 20, repeat: false}]);
  assert.deepStrictEqual(host.alerts, [], 'defining the function shows nothing');
  assert.deepStrictEqual(host.undo, [], 'defining the function opens no undo group');
  assert.strictEqual(vm.runInContext('typeof $.global.SpindrelSetup', host.context), 'function');
  vm.runInContext(host.tasks[0].code, host.context, {filename: 'scheduled task'});
  return host;
}

// JSON's view: drops the difference between 0 and -0, which the host ignores.
function plain(value) {
  return JSON.parse(JSON.stringify(value));
}

function expectStopped(host, alerts) {
  assert.deepStrictEqual(host.alerts, alerts);
  assert.deepStrictEqual(host.undo, [], 'no undo group before the layer is built');
  assert.deepStrictEqual(describeLayers(host), []);
}

function expectBuilt(host, groupCount) {
  assert.deepStrictEqual(host.undo, [`begin ${UNDO_NAME}`, 'end']);
  assert.deepStrictEqual(host.alerts, [`\u2705 Done!\n\n${groupCount}${DONE_TAIL}`]);
  const layers = describeLayers(host);
  assert.strictEqual(layers.length, 1);
  assert.strictEqual(layers[0].name, 'Spindrel Path');
  assert.strictEqual(layers[0].label, 9);
  return layers[0].groups;
}

// --- The steps, worked out independently -------------------------------------------

function tangentsOf(vertices, closed, smoothness) {
  const n = vertices.length;
  const inTangents = [];
  const outTangents = [];
  vertices.forEach((_, i) => {
    const prev = i > 0 ? vertices[i - 1] : closed ? vertices[n - 1] : vertices[0];
    const next = i < n - 1 ? vertices[i + 1] : closed ? vertices[0] : vertices[n - 1];
    const half = !closed && (i === 0 || i === n - 1) ? 0.5 : 1;
    const t = [0, 1].map((c) => ((next[c] - prev[c]) * smoothness / 6) * half);
    outTangents.push(t);
    inTangents.push(t.map((v) => -v));
  });
  return {inTangents, outTangents};
}

const distance = (a, b) => Math.hypot(b[0] - a[0], b[1] - a[1]);

// settings hold numbers: smoothness and minimum length as the sliders show
// them, duration and delay as the script must read them.
function expectedGroups(data, settings, comp, {color = [1, 1, 1], strokeWidth = 2} = {}) {
  const smoothness = settings.smoothness / 100;
  const length = (points) => points.slice(1).reduce((sum, p, i) => sum + distance(points[i], p), 0);
  const paths = data.paths
      .filter((p) => p.points.length > 0)
      .filter((p) => !(settings.minLength > 0) || p.closed ||
          (p.points.length >= 2 && length(p.points) >= settings.minLength))
      .map((p) => {
        const vertices = p.points.map(([x, y]) => [x - data.width / 2, y - data.height / 2]);
        return {vertices, closed: p.closed, ...tangentsOf(vertices, p.closed, smoothness)};
      });
  if (paths.length === 0) return null;

  const meanX = (p) => p.vertices.reduce((sum, v) => sum + v[0], 0) / p.vertices.length;
  const sorted = paths.map((p, index) => ({p, cx: meanX(p), index}))
      .sort((a, b) => a.cx - b.cx || a.index - b.index);
  let groups = [];
  sorted.forEach((item, k) => {
    if (k === 0 || item.cx - sorted[k - 1].cx > data.width * 0.04) groups.push([]);
    groups[groups.length - 1].push(item.p);
  });
  if (settings.rightToLeft) groups = groups.reverse();

  return groups.map((group, g) => {
    const ordered = [group[0]];
    const remaining = group.slice(1);
    while (remaining.length > 0) {
      const last = ordered[ordered.length - 1].vertices;
      const pen = last[last.length - 1];
      let best = {d: 1e9, index: 0, flip: false};
      remaining.forEach((p, index) => {
        const first = distance(pen, p.vertices[0]);
        if (first < best.d) best = {d: first, index, flip: false};
        const end = distance(pen, p.vertices[p.vertices.length - 1]);
        if (end < best.d) best = {d: end, index, flip: true};
      });
      let [taken] = remaining.splice(best.index, 1);
      if (best.flip && !taken.closed) {
        const vertices = taken.vertices.slice().reverse();
        taken = {vertices, closed: false, ...tangentsOf(vertices, false, smoothness)};
      }
      ordered.push(taken);
    }
    ordered.forEach((p, i) => {
      if (i === 0 || p.closed) return;
      const end = ordered[i - 1].vertices[ordered[i - 1].vertices.length - 1];
      if (distance(end, p.vertices[0]) <= 5.0) p.vertices = [[...end], ...p.vertices.slice(1)];
    });

    const t0 = settings.byLetter ? comp.time + g * settings.delay : comp.time;
    const t1 = Math.min(t0 + settings.duration, comp.duration);
    const ease = {speed: 0, influence: 33};
    const keys = t0 === t1 ? [{time: t1, value: 100, inEase: ease, outEase: ease}]
      : [{time: t0, value: 0, inEase: ease, outEase: ease}, {time: t1, value: 100, inEase: ease, outEase: ease}]
          .sort((a, b) => a.time - b.time);
    return {
      name: `Letter ${g + 1}`,
      paths: ordered.map((p) => ({vertices: p.vertices, inTangents: p.inTangents, outTangents: p.outTangents,
        closed: p.closed})),
      stroke: {color: [...color, 1], width: strokeWidth, cap: 2, join: 2},
      trim: {type: 2, end: keys},
      order: [...ordered.map(() => 'ADBE Vector Shape - Group'), 'ADBE Vector Graphic - Stroke',
        'ADBE Vector Filter - Trim'],
    };
  });
}

const DEFAULTS = {smoothness: 60, duration: 1.5, minLength: 20, byLetter: true, rightToLeft: false, delay: 0.4};

function expectLayer(host, data, settings, comp, style) {
  const expected = expectedGroups(data, {...DEFAULTS, ...settings}, comp, style);
  const groups = expectBuilt(host, expected.length);
  assert.deepStrictEqual(plain(groups), plain(expected));
  return groups;
}

// A path's points back in data pixels, for telling which paths were kept.
function pointsOf(path, data) {
  return path.vertices.map(([x, y]) => [x + data.width / 2, y + data.height / 2]);
}

// --- The cases ------------------------------------------------------------------------

const tests = [];
function test(name, body) {
  tests.push({name, body});
}

test('the script parses as ECMAScript 3 and calls nothing newer', () => {
  const ast = acorn.parse(realScript, {ecmaVersion: 3, allowReserved: 'never', sourceType: 'script'});
  const newerMembers = new Set(['forEach', 'map', 'filter', 'reduce', 'reduceRight', 'some', 'every', 'isArray',
    'keys', 'create', 'defineProperty', 'getPrototypeOf', 'bind', 'trim', 'now', 'toISOString', 'includes',
    'startsWith', 'endsWith', 'find', 'findIndex', 'fill', 'from', 'assign', 'repeat', 'padStart', 'padEnd']);
  const newerNames = new Set(['JSON', 'Map', 'Set', 'WeakMap', 'Promise', 'Symbol', 'Reflect', 'Proxy', 'globalThis']);
  walk.full(ast, (node) => {
    if (node.type === 'MemberExpression' && !node.computed && newerMembers.has(node.property.name)) {
      assert.fail(`.${node.property.name} at ${node.start} is newer than ECMAScript 3`);
    }
    if (node.type === 'Identifier' && newerNames.has(node.name)) {
      assert.fail(`${node.name} at ${node.start} is newer than ECMAScript 3`);
    }
  });
  for (let i = 0; i < realScript.length; i++) {
    assert.ok(realScript.charCodeAt(i) < 0x80, `character ${i} is not ASCII`);
  }
  assert.strictEqual(real.colourLines, `${colourLine}\n${widthLine}\n`);
  assert.ok(real.body.startsWith('\n'));
  assert.ok(real.body.endsWith(`\n};\napp.scheduleTask('${SCHEDULE}', 20, false);\n`));
});

test('the real render builds one group per letter with the defaults', () => {
  const colour = JSON.parse(colourLine.slice('var strokeColor='.length, -1));
  const strokeWidth = Number(widthLine.slice('var strokeWidth='.length, -1));
  const comp = {time: 0.5, duration: 60};
  const host = run(realScript, {comp});
  const groups = expectLayer(host, realData, {}, comp, {color: colour, strokeWidth});
  assert.ok(groups.length > 1, 'the sample has several letters');
  assert.deepStrictEqual(groups.map((g) => g.name), groups.map((_, g) => `Letter ${g + 1}`));
});

test('the dialog: title, layout, controls, texts, defaults, bounds and enabling', () => {
  const texts = (ui) => ui.all().map((e) => e.text);
  const host = run(scriptFor([[[0, 0], [40, 0]]], 100, 100), {answers: {press: 'Cancel', inspect(ui) {
    const dialog = ui.window;
    assert.strictEqual(dialog.text, 'Spindrel \u2014 Create Shape Layer');
    assert.strictEqual(dialog.orientation, 'column');
    assert.strictEqual([].concat(dialog.alignChildren)[0], 'fill');
    assert.strictEqual(dialog.margins, 18);
    assert.strictEqual(dialog.spacing, 10);
    const layout = [];
    const visit = (element, depth) => {
      for (const e of element.children) {
        const row = [depth, e.type, e.text, e.bounds];
        if (e.type === 'slider') row.push(e.value, e.minvalue, e.maxvalue);
        if (e.type === 'checkbox' || e.type === 'radiobutton') row.push(e.value);
        if (e.type === 'group' || e.type === 'panel') row.push(e.orientation);
        if (e.type === 'button') row.push(e.properties.name);
        layout.push(row);
        visit(e, depth + 1);
      }
    };
    visit(dialog, 0);
    assert.deepStrictEqual(layout, [
      [0, 'statictext', 'Path Smoothness (0=straight, 100=curved):', null],
      [0, 'group', '', null, 'row'],
      [1, 'slider', '', [0, 0, 280, 20], 60, 0, 100],
      [1, 'statictext', '60 %', [0, 0, 44, 20]],
      [0, 'statictext', 'Duration per stroke (seconds):', null],
      [0, 'edittext', '1.5', [0, 0, 60, 22]],
      [0, 'statictext', 'Min stroke length (px) \u2014 removes artifact paths shorter than this:', null],
      [0, 'group', '', null, 'row'],
      [1, 'slider', '', [0, 0, 280, 20], 20, 0, 100],
      [1, 'statictext', '20 px', [0, 0, 50, 20]],
      [0, 'panel', '', null, 'column'],
      [0, 'checkbox', 'Letter-by-Letter Animation', null, true],
      [0, 'panel', 'Direction', null, 'column'],
      [1, 'radiobutton', '\u25BA Left \u2192 Right (English)', null, true],
      [1, 'radiobutton', '\u25C4 Right \u2190 Left (Arabic)', null, false],
      [0, 'group', '', null, 'row'],
      [1, 'statictext', 'Delay between letters (s):', null],
      [1, 'edittext', '0.4', [0, 0, 50, 22]],
      [0, 'group', '', null, 'row'],
      [1, 'button', 'Create Paths', null, 'ok'],
      [1, 'button', 'Cancel', null, 'cancel'],
    ]);
    const [direction] = ui.all('panel').filter((p) => p.text === 'Direction');
    assert.strictEqual(direction.margins, 10);
    assert.strictEqual(ui.all('group')[3].alignment, 'right');

    for (const [value, label] of [[37.6, '38 %'], [0, '0 %'], [100, '100 %'], [12.5, '13 %']]) {
      ui.slide(0, value);
      assert.ok(texts(ui).includes(label), label);
    }
    for (const [value, label] of [[12.4, '12 px'], [0, '0 px'], [99.5, '100 px']]) {
      ui.slide(1, value);
      assert.ok(texts(ui).includes(label), label);
    }

    ui.click('checkbox', 0);
    assert.strictEqual(direction.enabled, false);
    assert.strictEqual(ui.all('group')[2].enabled, false);
    assert.throws(() => ui.click('radiobutton', 1), /disabled/);
    assert.throws(() => ui.type(1, '1'), /disabled/);
    ui.type(0, '2');
    ui.click('checkbox', 0);
    assert.strictEqual(direction.enabled, true);
    assert.strictEqual(ui.all('group')[2].enabled, true);
    ui.click('radiobutton', 1);
    ui.type(1, '0.7');
  }}});
  expectStopped(host, []);
});

test('stops before the undo group: no composition, no paths, cancel, all filtered', () => {
  const script = scriptFor([[[0, 0], [3, 0]], [[10, 10]]], 100, 100);
  const cases = [
    {comp: null, alerts: ['Open a composition first.']},
    {comp: 'footage', alerts: ['Open a composition first.']},
    {script: scriptFor([], 100, 100), alerts: ['No paths found!\n\nPreview one frame first.']},
    {answers: {press: 'Cancel'}, alerts: []},
    {answers: {press: 'close'}, alerts: []},
    {answers: {}, alerts: [FILTERED]},
    {answers: {minLength: 3.5}, alerts: [FILTERED]},
  ];
  for (const c of cases) {
    const host = run(c.script || script, {comp: c.comp === undefined ? {time: 0, duration: 5} : c.comp,
      answers: c.answers || {press: 'Cancel'}});
    expectStopped(host, c.alerts);
    if (c.comp === null || c.comp === 'footage' || c.script) assert.strictEqual(host.dialogs.length, 0);
  }
});

test('duration and letter delay: 0 or no number gives the default, negatives are kept', () => {
  const data = dataOf([[[100, 0], [100, 50]], [[500, 0], [500, 50]]], 1000, 100);
  const script = scriptFor(data.paths, 1000, 100);
  const comp = {time: 1, duration: 100};
  const cases = [
    ['1.5', 1.5, '0.4', 0.4], ['0', 1.5, '0', 0.4], ['abc', 1.5, 'x', 0.4], ['', 1.5, '', 0.4],
    ['-2', -2, '-0.5', -0.5], ['2.5s', 2.5, '0.25', 0.25], [' 3', 3, '1e-1', 0.1],
  ];
  for (const [durationText, duration, delayText, delay] of cases) {
    const host = run(script, {comp, answers: {duration: durationText, delay: delayText}});
    const groups = expectLayer(host, data, {duration, delay}, comp);
    const times = groups.map((g) => g.trim.end.map((k) => k.time));
    const first = [comp.time, comp.time + duration].sort((a, b) => a - b);
    assert.deepStrictEqual(times[0], first, durationText);
    assert.strictEqual(Math.min(...times[1]), Math.min(comp.time + delay, comp.time + delay + duration), delayText);
  }
});

test('the filter: closed paths stay, shorter paths and single points go, 0 keeps everything', () => {
  const data = dataOf([
    [[10, 10]],
    [[20, 10], [23, 10]],
    [[30, 10], [42, 26]],
    [[50, 10], [69, 10]],
    {closed: true, points: [[60, 60]]},
  ], 200, 100);
  const script = scriptFor(data.paths, 200, 100);
  const firstPoints = (minLength) => {
    const host = run(script, {answers: {minLength}});
    const groups = expectLayer(host, data, {minLength}, {time: 0, duration: 30});
    return groups.flatMap((g) => g.paths.map((p) => pointsOf(p, data)))
        .map((points) => points.map((p) => p.join(',')).sort()[0]).sort();
  };
  assert.deepStrictEqual(firstPoints(0), ['10,10', '20,10', '30,10', '50,10', '60,60']);
  assert.deepStrictEqual(firstPoints(3), ['20,10', '30,10', '50,10', '60,60']);
  assert.deepStrictEqual(firstPoints(19), ['30,10', '50,10', '60,60']);
  assert.deepStrictEqual(firstPoints(19.5), ['30,10', '60,60']);
  assert.deepStrictEqual(firstPoints(20), ['30,10', '60,60']);
  assert.deepStrictEqual(firstPoints(100), ['60,60']);

  // A list with empty entries, as an engine may read trailing commas.
  const holes = `${HEAD}var data={paths:[{closed:false,points:[[0,0],[30,0],,]},,],width:100,height:100};\n` +
    `var strokeColor=[1.0000,1.0000,1.0000];\nvar strokeWidth=2;\n${real.body}`;
  const groups = expectBuilt(run(holes), 1);
  assert.deepStrictEqual(plain(groups[0].paths[0].vertices), [[-50, -50], [-20, -50]]);
});

test('letters split only where mean x grows by more than 0.04 x width; right to left reverses them', () => {
  assert.strictEqual(1000 * 0.04, 40);
  const data = dataOf([
    [[181, 0], [181, 30]],
    [[300, 0], [300, 30]],
    [[100, 0], [100, 30]],
    [[140, 0], [140, 30]],
    [[140, 40], [140, 70]],
    [[300, 100], [300, 130]],
  ], 1000, 200);
  const script = scriptFor(data.paths, 1000, 200);
  const comp = {time: 0, duration: 30};
  const firstPoints = (groups) => groups.map((g) => g.paths.map((p) => pointsOf(p, data)[0].join(',')));
  const leftToRight = [['100,0', '140,30', '140,40'], ['181,0'], ['300,0', '300,100']];
  for (const [rightToLeft, byLetter] of [[false, true], [true, true], [true, false]]) {
    const settings = {rightToLeft, byLetter};
    const groups = expectLayer(run(script, {comp, answers: settings}), data, settings, comp);
    assert.deepStrictEqual(groups.map((g) => g.name), ['Letter 1', 'Letter 2', 'Letter 3']);
    assert.deepStrictEqual(firstPoints(groups), rightToLeft ? leftToRight.slice().reverse() : leftToRight);
    assert.deepStrictEqual(groups.map((g) => g.trim.end[0].time), byLetter ? [0, 0.4, 0.8] : [0, 0, 0]);
  }
});

test('greedy order: open paths reached at their end flip, ties and closed paths stay, snapping at exactly 5.0', () => {
  const data = dataOf([
    [[0, 0], [10, 0]],
    [[30, 0], [12, 0]],
    [[13, 0], [50, 0]],
    [[5000, 0], [5000, 10]],
    [[5003, 14], [5060, 60], [4997, 14]],
    [[5004, 13], [5300, 300]],
    [[8000, 0], [8000, 10]],
    [[8001, 15], [8050, 15]],
    {closed: true, points: [[8070, 15], [8060, 20], [8052, 15]]},
    {closed: true, points: [[8054, 15], [8060, 30], [8066, 15]]},
  ], 10000, 1000);
  const script = scriptFor(data.paths, 10000, 1000);
  const settings = {smoothness: 50, minLength: 0};
  const groups = expectLayer(run(script, {answers: settings}), data, settings, {time: 0, duration: 30});
  const points = groups.map((g) => g.paths.map((p) => pointsOf(p, data)));
  assert.deepStrictEqual(points, [
    [[[0, 0], [10, 0]], [[10, 0], [30, 0]], [[13, 0], [50, 0]]],
    [[[5000, 0], [5000, 10]], [[5000, 10], [5060, 60], [4997, 14]], [[5004, 13], [5300, 300]]],
    [[[8000, 0], [8000, 10]], [[8001, 15], [8050, 15]], [[8070, 15], [8060, 20], [8052, 15]],
      [[8054, 15], [8060, 30], [8066, 15]]],
  ]);
  // The flipped path's tangents are worked out again for its new direction
  // (from 12,0 to 30,0); snapping its start moves no tangent.
  assert.deepStrictEqual(plain(groups[0].paths[1].outTangents), [[0.75, 0], [0.75, 0]]);
  assert.deepStrictEqual(plain(groups[0].paths[1].inTangents), [[-0.75, 0], [-0.75, 0]]);
});

test('greedy order: paths all 1e9 or more from the pen keep their order, unflipped', () => {
  const data = dataOf([
    [[0, 0], [0, 30]],
    [[0, 1500000000], [0, 1500000030]],
    [[0, 2000000000], [0, 2000000030]],
  ], 2000000000, 0);
  const groups = expectLayer(run(scriptFor(data.paths, 2000000000, 0)), data, {}, {time: 0, duration: 30});
  assert.deepStrictEqual(groups.map((g) => g.paths.map((p) => pointsOf(p, data)[0][1])), [[0, 1500000000, 2000000000]]);
});

test('start times with and without letter delay end at the composition end at the latest', () => {
  const data = dataOf([0, 1, 2, 3, 4, 5].map((g) => [[100 + g * 200, 0], [100 + g * 200, 50]]), 1200, 100);
  const script = scriptFor(data.paths, 1200, 100);
  const comp = {time: 2, duration: 3.6};
  for (const byLetter of [true, false]) {
    const groups = expectLayer(run(script, {comp, answers: {byLetter}}), data, {byLetter}, comp);
    const keys = groups.map((g) => g.trim.end.map((k) => [k.time, k.value]));
    if (!byLetter) {
      assert.deepStrictEqual(keys, groups.map(() => [[2, 0], [3.5, 100]]));
      continue;
    }
    assert.deepStrictEqual(keys.slice(0, 2), [[[2, 0], [3.5, 100]], [[2.4, 0], [3.6, 100]]]);
    assert.deepStrictEqual(keys[4], [[3.6, 100]], 'a stroke starting at the end keeps one key');
    assert.deepStrictEqual(keys[5], [[3.6, 100], [2 + 5 * 0.4, 0]], 'a stroke starting after the end');
  }
});

test('shapes: vertices centred on the layer, tangents from the neighbours, closed paths wrap', () => {
  const data = dataOf([
    [[0, 0], [4, 2], [6, 6]],
    {closed: true, points: [[100, 0], [103, 4], [97, 4]]},
  ], 7, 5);
  const host = run(scriptFor(data.paths, 7, 5), {answers: {smoothness: 30, minLength: 0}});
  const groups = expectLayer(host, data, {smoothness: 30, minLength: 0}, {time: 0, duration: 30});
  const [open, closed] = groups.map((g) => g.paths[0]);
  assert.deepStrictEqual(open.vertices, [[-3.5, -2.5], [0.5, -0.5], [2.5, 3.5]]);
  const s = 0.3;
  assert.deepStrictEqual(open.outTangents, [[4 * s / 6 * 0.5, 2 * s / 6 * 0.5], [6 * s / 6, 6 * s / 6],
    [2 * s / 6 * 0.5, 4 * s / 6 * 0.5]]);
  assert.deepStrictEqual(closed.outTangents, [[6 * s / 6, 0 * s / 6], [-3 * s / 6, 4 * s / 6],
    [-3 * s / 6, -4 * s / 6]]);
  assert.strictEqual(closed.closed, true);
});

test('stroke and trim: colour, width, caps, joins, individual trimming and eased keys', () => {
  const data = dataOf([[[0, 0], [40, 0]]], 100, 100);
  const style = {color: [1, 0.502, 0], strokeWidth: 7};
  const host = run(scriptFor(data.paths, 100, 100, style), {comp: {time: 0, duration: 10}});
  const [group] = expectLayer(host, data, {}, {time: 0, duration: 10}, style);
  assert.deepStrictEqual(group.stroke, {color: [1, 0.502, 0, 1], width: 7, cap: 2, join: 2});
  assert.strictEqual(group.trim.type, 2);
  assert.deepStrictEqual(plain(group.trim.end), [
    {time: 0, value: 0, inEase: {speed: 0, influence: 33}, outEase: {speed: 0, influence: 33}},
    {time: 1.5, value: 100, inEase: {speed: 0, influence: 33}, outEase: {speed: 0, influence: 33}},
  ]);
});

test('failures: an error in the undo group is reported and the group closed; trim type and ease failures pass', () => {
  const data = dataOf([[[0, 0], [40, 0]], [[90, 0], [90, 40]]], 100, 100);
  const script = scriptFor(data.paths, 100, 100);

  let host = run(script, {faults: {addShape: 'The layer cannot be added.'}});
  assert.deepStrictEqual(host.alerts, ['Error: The layer cannot be added.']);
  assert.deepStrictEqual(host.undo, [`begin ${UNDO_NAME}`, 'end']);
  assert.deepStrictEqual(describeLayers(host), []);

  host = run(script, {faults: {addProperty: {'ADBE Vector Graphic - Stroke': 'No stroke today.'}}});
  assert.deepStrictEqual(host.alerts, ['Error: No stroke today.']);
  assert.deepStrictEqual(host.undo, [`begin ${UNDO_NAME}`, 'end']);
  const [layer] = describeLayers(host);
  assert.deepStrictEqual(layer.groups.map((g) => [g.name, g.order]), [['Letter 1', ['ADBE Vector Shape - Group']]]);

  host = run(script, {faults: {setValue: {'ADBE Vector Trim Type': 'refused'},
    setTemporalEaseAtKey: {'ADBE Vector Trim End': 'refused'}}});
  const groups = expectBuilt(host, 2);
  for (const group of groups) {
    assert.strictEqual(group.trim.type, 1);
    assert.deepStrictEqual(group.trim.end.map((k) => [k.value, k.inEase]), [[0, null], [100, null]]);
  }
});

let failures = 0;
for (const {name, body} of tests) {
  try {
    body();
    console.log(`ok   ${name}`);
  } catch (error) {
    failures++;
    console.log(`FAIL ${name}\n${error && error.stack ? error.stack : error}`);
  }
}
console.log(`${tests.length - failures} of ${tests.length} passed`);
process.exit(failures === 0 ? 0 : 1);
