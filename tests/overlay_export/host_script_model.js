'use strict';
// A strict stand-in for the host's scripting objects, enough to run the
// Create Shape Layer script in Node: $.global, app (project, undo groups,
// scheduled tasks), alert, the dialog objects, CompItem, shape layers and
// their property groups by match name, Shape, KeyframeEase and keyframes.
//
// Everything handed to the script is wrapped so that reading or writing a
// member the host does not have throws, as does any match name, property
// index, argument or value the host would refuse. A typo in the script
// therefore fails the test instead of passing silently.

const vm = require('vm');

function fail(message) {
  throw new Error(message);
}

// Members an object offers to the script; anything else throws.
function strict(target, what) {
  return new Proxy(target, {
    get(object, key, receiver) {
      if (typeof key !== 'symbol' && !(key in object)) fail(`${what} has no member "${key}"`);
      return Reflect.get(object, key, receiver);
    },
    set(object, key, value, receiver) {
      if (typeof key === 'symbol' || !(key in object)) fail(`${what} has no member "${key}" to set`);
      return Reflect.set(object, key, value, receiver);
    },
  });
}

function isNumber(value) {
  return typeof value === 'number' && Number.isFinite(value);
}

function isIntegerIn(value, low, high) {
  return Number.isInteger(value) && value >= low && value <= high;
}

function checkArgumentCount(args, low, high, what) {
  if (args.length < low || args.length > high) fail(`${what} takes ${low} to ${high} arguments, got ${args.length}`);
}

// Arrays from the script live in its own realm, without the newer array
// methods: copy them (Array.from, plain loops) before using those.
function copyPair(value, what) {
  if (!Array.isArray(value) || value.length !== 2 || !isNumber(value[0]) || !isNumber(value[1])) {
    fail(`${what} must be a pair of numbers`);
  }
  return [value[0], value[1]];
}

function copyPairs(value, what) {
  if (!Array.isArray(value)) fail(`${what} must be an array`);
  const pairs = [];
  for (let i = 0; i < value.length; i++) pairs.push(copyPair(value[i], `${what}[${i}]`));
  return pairs;
}

// --- Shapes and eases ------------------------------------------------------

class Shape {
  constructor() {
    if (!new.target) fail('Shape must be created with new');
    this.vertices = [];
    this.inTangents = [];
    this.outTangents = [];
    this.closed = true;
    this.featherSegLocs = [];
    this.featherRelSegLocs = [];
    this.featherRadii = [];
    this.featherInterps = [];
    this.featherTensions = [];
    this.featherTypes = [];
    this.featherRelCornerAngles = [];
    return strict(this, 'Shape');
  }
}

class KeyframeEase {
  constructor(speed, influence) {
    if (!new.target) fail('KeyframeEase must be created with new');
    checkArgumentCount(arguments, 2, 2, 'KeyframeEase');
    if (!isNumber(speed)) fail('KeyframeEase speed must be a number');
    if (!isNumber(influence) || influence < 0.1 || influence > 100) fail('KeyframeEase influence must be 0.1 to 100');
    this.speed = speed;
    this.influence = influence;
    return strict(this, 'KeyframeEase');
  }
}

// --- Properties --------------------------------------------------------------

// How a property's values are checked and copied.
const VALUE_KINDS = {
  shape(value) {
    if (!(value instanceof Shape)) fail('a path property takes a Shape');
    const vertices = copyPairs(value.vertices, 'Shape.vertices');
    const inTangents = copyPairs(value.inTangents, 'Shape.inTangents');
    const outTangents = copyPairs(value.outTangents, 'Shape.outTangents');
    if (inTangents.length !== vertices.length || outTangents.length !== vertices.length) {
      fail('a Shape needs as many in and out tangents as vertices');
    }
    if (typeof value.closed !== 'boolean') fail('Shape.closed must be a boolean');
    return {vertices, inTangents, outTangents, closed: value.closed};
  },
  color(value) {
    if (!Array.isArray(value) || value.length !== 4) fail('a colour takes [red, green, blue, alpha]');
    const color = [];
    for (let i = 0; i < 4; i++) {
      if (!isNumber(value[i]) || value[i] < 0 || value[i] > 1) fail('colour channels run from 0 to 1');
      color.push(value[i]);
    }
    return color;
  },
  percent(value) {
    if (!isNumber(value) || value < 0 || value > 100) fail('a percentage runs from 0 to 100');
    return value;
  },
  width(value) {
    if (!isNumber(value) || value < 0) fail('a stroke width is a number from 0');
    return value;
  },
  oneToThree(value) {
    if (!isIntegerIn(value, 1, 3)) fail('this menu takes 1, 2 or 3');
    return value;
  },
  oneToTwo(value) {
    if (!isIntegerIn(value, 1, 2)) fail('this menu takes 1 or 2');
    return value;
  },
  angle(value) {
    if (!isNumber(value)) fail('an angle is a number');
    return value;
  },
};

class Property {
  constructor(matchName, name, kind, value, model) {
    this.matchName = matchName;
    this.name = name;
    this.kind = kind;
    this.value = value;
    this.model = model;
    this.keys = [];  // {time, value, inEase, outEase}, by time
  }

  convert(value) {
    const check = VALUE_KINDS[this.kind];
    if (!check) fail(`${this.matchName} is not modelled`);
    return check(value);
  }

  setValue(value) {
    checkArgumentCount(arguments, 1, 1, `${this.matchName}.setValue`);
    if (this.keys.length > 0) fail(`${this.matchName} has keyframes: use setValueAtTime`);
    this.model.checkFault('setValue', this.matchName);
    this.value = this.convert(value);
  }

  setValueAtTime(time, value) {
    checkArgumentCount(arguments, 2, 2, `${this.matchName}.setValueAtTime`);
    if (!isNumber(time)) fail('a key time is a number');
    const converted = this.convert(value);
    const same = this.keys.find((key) => key.time === time);
    if (same) {
      same.value = converted;
      return;
    }
    this.keys.push({time, value: converted, inEase: null, outEase: null});
    this.keys.sort((a, b) => a.time - b.time);
  }

  setTemporalEaseAtKey(keyIndex, inEase, outEase) {
    checkArgumentCount(arguments, 2, 3, `${this.matchName}.setTemporalEaseAtKey`);
    if (!isIntegerIn(keyIndex, 1, this.keys.length)) fail(`${this.matchName} has no key ${keyIndex}`);
    this.model.checkFault('setTemporalEaseAtKey', this.matchName);
    const copyEases = (eases) => {
      if (!Array.isArray(eases) || eases.length !== 1 || !(eases[0] instanceof KeyframeEase)) {
        fail('a one-dimensional property takes an array of one KeyframeEase');
      }
      return {speed: eases[0].speed, influence: eases[0].influence};
    };
    const key = this.keys[keyIndex - 1];
    key.inEase = copyEases(inEase);
    key.outEase = copyEases(outEase === undefined ? inEase : outEase);
  }

  get numKeys() {
    return this.keys.length;
  }
}

// --- Property groups ------------------------------------------------------------

// What may be added to a contents group.
const CONTENT_ITEMS = ['ADBE Vector Group', 'ADBE Vector Shape - Group', 'ADBE Vector Graphic - Stroke',
  'ADBE Vector Filter - Trim'];

// The fixed children of each group, in the host's order, as
// [match name, display name, value kind or a group's match name, initial value].
const FIXED_CHILDREN = {
  'ADBE Vector Group': [
    ['ADBE Vector Blend Mode', 'Blend Mode', null],
    ['ADBE Vectors Group', 'Contents', 'group'],
    ['ADBE Vector Transform Group', 'Transform', null],
    ['ADBE Vector Materials Group', 'Material Options', null],
  ],
  'ADBE Vector Shape - Group': [
    ['ADBE Vector Shape Direction', 'Shape Direction', null],
    ['ADBE Vector Shape', 'Path', 'shape'],
  ],
  'ADBE Vector Graphic - Stroke': [
    ['ADBE Vector Blend Mode', 'Blend Mode', null],
    ['ADBE Vector Composite Order', 'Composite', null],
    ['ADBE Vector Stroke Color', 'Color', 'color', [1, 1, 1, 1]],
    ['ADBE Vector Stroke Opacity', 'Opacity', 'percent', 100],
    ['ADBE Vector Stroke Width', 'Stroke Width', 'width', 2],
    ['ADBE Vector Stroke Line Cap', 'Line Cap', 'oneToThree', 1],
    ['ADBE Vector Stroke Line Join', 'Line Join', 'oneToThree', 1],
    ['ADBE Vector Stroke Miter Limit', 'Miter Limit', null],
    ['ADBE Vector Stroke Dashes', 'Dashes', null],
  ],
  'ADBE Vector Filter - Trim': [
    ['ADBE Vector Trim Start', 'Start', 'percent', 0],
    ['ADBE Vector Trim End', 'End', 'percent', 100],
    ['ADBE Vector Trim Offset', 'Offset', 'angle', 0],
    ['ADBE Vector Trim Type', 'Trim Multiple Shapes', 'oneToTwo', 1],
  ],
};

const DEFAULT_NAMES = {
  'ADBE Vector Group': 'Group',
  'ADBE Vector Shape - Group': 'Path',
  'ADBE Vector Graphic - Stroke': 'Stroke',
  'ADBE Vector Filter - Trim': 'Trim Paths',
};

class PropertyGroup {
  constructor(matchName, name, model) {
    this.matchName = matchName;
    this.name = name;
    this.model = model;
    this.children = [];  // raw objects; the script sees them wrapped
    this.indexed = matchName === 'ADBE Root Vectors Group' || matchName === 'ADBE Vectors Group';
    for (const [childMatch, childName, kind, value] of FIXED_CHILDREN[matchName] || []) {
      this.children.push(kind === 'group' ? new PropertyGroup(childMatch, childName, model)
        : new Property(childMatch, childName, kind, value, model));
    }
  }

  property(nameOrIndex) {
    checkArgumentCount(arguments, 1, 1, `${this.matchName}.property`);
    let child;
    if (typeof nameOrIndex === 'number') {
      child = this.children[nameOrIndex - 1];
    } else {
      child = this.children.find((c) => c.matchName === nameOrIndex || c.name === nameOrIndex);
    }
    if (!child) fail(`${this.matchName} has no property ${JSON.stringify(nameOrIndex)}`);
    return wrap(child);
  }

  addProperty(matchName) {
    checkArgumentCount(arguments, 1, 1, `${this.matchName}.addProperty`);
    if (!this.indexed) fail(`${this.matchName} takes no new properties`);
    if (!CONTENT_ITEMS.includes(matchName)) fail(`cannot add ${JSON.stringify(matchName)} to ${this.matchName}`);
    this.model.checkFault('addProperty', matchName);
    const count = this.children.filter((c) => c.matchName === matchName).length;
    const child = new PropertyGroup(matchName, `${DEFAULT_NAMES[matchName]} ${count + 1}`, this.model);
    this.children.push(child);
    return wrap(child);
  }

  get numProperties() {
    return this.children.length;
  }
}

// The wrapped view of a property or group, one per object.
const views = new WeakMap();
function wrap(object) {
  if (!views.has(object)) views.set(object, strict(object, object.matchName));
  return views.get(object);
}

// --- Layers and compositions ------------------------------------------------

const LABEL_COUNT = 16;

class ShapeLayer {
  constructor(model) {
    this.rawName = 'Shape Layer 1';
    this.rawLabel = 8;
    this.contents = new PropertyGroup('ADBE Root Vectors Group', 'Contents', model);
    this.transform = new PropertyGroup('ADBE Transform Group', 'Transform', model);
  }

  get name() {
    return this.rawName;
  }

  set name(value) {
    if (typeof value !== 'string') fail('a layer name is a string');
    this.rawName = value;
  }

  get label() {
    return this.rawLabel;
  }

  set label(value) {
    if (!isIntegerIn(value, 0, LABEL_COUNT)) fail(`label colours run from 0 to ${LABEL_COUNT}`);
    this.rawLabel = value;
  }

  property(name) {
    checkArgumentCount(arguments, 1, 1, 'layer.property');
    if (name === 'ADBE Root Vectors Group' || name === 'Contents') return wrap(this.contents);
    if (name === 'ADBE Transform Group' || name === 'Transform') return wrap(this.transform);
    return fail(`a shape layer has no property ${JSON.stringify(name)}`);
  }
}

class LayerCollection {
  constructor(model) {
    this.model = model;
    this.list = [];
  }

  addShape() {
    checkArgumentCount(arguments, 0, 0, 'layers.addShape');
    this.model.checkFault('addShape');
    const layer = new ShapeLayer(this.model);
    this.list.unshift(layer);
    return strict(layer, 'ShapeLayer');
  }

  get length() {
    return this.list.length;
  }
}

class CompItem {
  constructor(model, settings) {
    this.name = 'Comp 1';
    this.width = 1920;
    this.height = 1080;
    this.frameRate = 30;
    this.time = settings.time;
    this.duration = settings.duration;
    this.layers = strict(new LayerCollection(model), 'LayerCollection');
  }
}

class FootageItem {
  constructor() {
    this.name = 'footage.png';
  }
}

// --- The dialog objects ------------------------------------------------------

const ORIENTATIONS = ['row', 'column', 'stack'];
const ALIGNMENTS = ['left', 'right', 'center', 'fill', 'top', 'bottom'];
const CONTAINERS = ['dialog', 'group', 'panel'];

function checkAlignment(value, what) {
  const parts = Array.isArray(value) ? Array.from(value) : [value];
  if (parts.length < 1 || parts.length > 2 || parts.some((p) => !ALIGNMENTS.includes(p))) {
    fail(`${what} takes one of ${ALIGNMENTS.join(', ')} or a pair of them`);
  }
}

function checkBounds(bounds, type) {
  if (bounds === undefined) return null;
  if (!Array.isArray(bounds) || bounds.length !== 4 || !Array.from(bounds).every(isNumber)) {
    fail(`${type} bounds must be [left, top, right, bottom]`);
  }
  return [bounds[0], bounds[1], bounds[2], bounds[3]];
}

// One ScriptUI element. Containers hold children; controls hold a value.
class Element {
  constructor(type, parent, bounds) {
    this.type = type;
    this.parent = parent;
    this.children = [];
    this.bounds = checkBounds(bounds, type);
    this.text = '';
    this.enabled = true;
    this.visible = true;
    this.helpTip = '';
    this.properties = {};
    this.alignment = null;
    this.preferredSize = [-1, -1];
    if (CONTAINERS.includes(type)) {
      this.rawOrientation = type === 'group' ? 'row' : 'column';
      this.rawAlignChildren = type === 'group' ? 'center' : 'left';
      this.margins = type === 'group' ? 0 : 15;
      this.spacing = 10;
    }
    if (['slider', 'checkbox', 'radiobutton'].includes(type)) this.value = type === 'slider' ? 0 : false;
    if (type === 'slider') {
      this.minvalue = 0;
      this.maxvalue = 100;
    }
    if (['slider', 'edittext'].includes(type)) {
      this.onChanging = null;
      this.onChange = null;
    }
    if (['checkbox', 'radiobutton', 'button'].includes(type)) this.onClick = null;
  }

  get orientation() {
    return this.rawOrientation;
  }

  set orientation(value) {
    if (!ORIENTATIONS.includes(value)) fail(`orientation takes ${ORIENTATIONS.join(', ')}`);
    this.rawOrientation = value;
  }

  get alignChildren() {
    return this.rawAlignChildren;
  }

  set alignChildren(value) {
    checkAlignment(value, 'alignChildren');
    this.rawAlignChildren = value;
  }

  add(type, bounds, ...rest) {
    if (!('rawOrientation' in this)) fail(`a ${this.type} holds no children`);
    const element = new Element(type, this, bounds);
    const textOf = (value) => {
      if (value !== undefined && typeof value !== 'string') fail(`${type} text must be a string`);
      return value === undefined ? '' : value;
    };
    const propertiesOf = (value) => {
      if (value === undefined) return {};
      if (typeof value !== 'object' || value === null) fail(`${type} creation properties must be an object`);
      return {...value};
    };
    switch (type) {
      case 'group':
        if (rest.length > 1) fail('add("group") takes bounds and creation properties');
        element.properties = propertiesOf(rest[0]);
        break;
      case 'panel':
      case 'statictext':
      case 'edittext':
      case 'checkbox':
      case 'radiobutton':
      case 'button':
        if (rest.length > 2) fail(`add("${type}") takes bounds, text and creation properties`);
        element.text = textOf(rest[0]);
        element.properties = propertiesOf(rest[1]);
        break;
      case 'slider': {
        if (rest.length > 4) fail('add("slider") takes bounds, value, minimum, maximum and creation properties');
        const [value, minvalue, maxvalue, properties] = rest;
        for (const number of [value, minvalue, maxvalue]) {
          if (number !== undefined && !isNumber(number)) fail('slider value, minimum and maximum are numbers');
        }
        element.minvalue = minvalue === undefined ? 0 : minvalue;
        element.maxvalue = maxvalue === undefined ? 100 : maxvalue;
        element.value = value === undefined ? element.minvalue : value;
        element.properties = propertiesOf(properties);
        break;
      }
      default:
        fail(`the model has no dialog element "${type}"`);
    }
    this.children.push(element);
    const view = strict(element, type);
    element.view = view;
    return view;
  }
}

class Window extends Element {
  constructor(type, title, bounds, properties) {
    if (!new.target) fail('Window must be created with new');
    if (type !== 'dialog') fail('the script must open a modal "dialog"');
    if (typeof title !== 'string') fail('a window title is a string');
    super('dialog', null, bounds);
    if (properties !== undefined && (typeof properties !== 'object' || properties === null)) {
      fail('window creation properties must be an object');
    }
    this.text = title;
    this.result = null;
    const model = Window.currentModel;
    this.model = model;
    const view = strict(this, 'Window');
    this.view = view;
    model.dialogs.push(this);
    return view;
  }

  show() {
    checkArgumentCount(arguments, 0, 0, 'Window.show');
    if (this.model.dialogShown) fail('a second dialog was shown');
    this.model.dialogShown = true;
    this.model.user(new DialogUser(this));
    if (this.result === null) fail('the user left the dialog open');
    return this.result;
  }

  close(result) {
    this.result = result === undefined ? 2 : result;
  }
}

// What the test does in the dialog, as a user would: only through enabled
// controls, with each handler called as the host calls it.
class DialogUser {
  constructor(window) {
    this.window = window;
  }

  all(type) {
    const found = [];
    const visit = (element) => {
      for (const child of element.children) {
        if (type === undefined || child.type === type) found.push(child);
        visit(child);
      }
    };
    visit(this.window);
    return found;
  }

  control(type, index) {
    const found = this.all(type)[index];
    if (!found) fail(`the dialog has no ${type} number ${index}`);
    return found;
  }

  usable(element) {
    for (let e = element; e; e = e.parent) {
      if (!e.enabled || !e.visible) return false;
    }
    return true;
  }

  touch(element) {
    if (!this.usable(element)) fail(`the ${element.type} "${element.text}" is disabled`);
    if (this.window.result !== null) fail('the dialog is closed');
  }

  slide(index, value) {
    const slider = this.control('slider', index);
    this.touch(slider);
    slider.value = Math.min(slider.maxvalue, Math.max(slider.minvalue, value));
    if (slider.onChanging) slider.onChanging.call(slider.view);
    if (slider.onChange) slider.onChange.call(slider.view);
  }

  type(index, text) {
    const field = this.control('edittext', index);
    this.touch(field);
    field.text = text;
    if (field.onChanging) field.onChanging.call(field.view);
    if (field.onChange) field.onChange.call(field.view);
  }

  click(type, index) {
    const control = this.control(type, index);
    this.touch(control);
    if (type === 'checkbox') control.value = !control.value;
    if (type === 'radiobutton') {
      for (const sibling of control.parent.children) if (sibling.type === 'radiobutton') sibling.value = false;
      control.value = true;
    }
    if (control.onClick) control.onClick.call(control.view);
    if (type === 'button' && this.window.result === null) {
      const name = control.properties.name;
      if (name === 'ok') this.window.result = 1;
      else if (name === 'cancel') this.window.result = 2;
    }
  }

  press(text) {
    const buttons = this.all('button');
    const index = buttons.findIndex((b) => b.text === text);
    if (index < 0) fail(`the dialog has no button "${text}"`);
    this.click('button', index);
  }

  closeBox() {
    this.window.result = 2;
  }
}

// --- The host -----------------------------------------------------------------

// Library members newer than ECMAScript 3, removed from the script's realm.
const NEWER_LIBRARY = {
  'Array.prototype': ['forEach', 'map', 'filter', 'reduce', 'reduceRight', 'some', 'every', 'indexOf',
    'lastIndexOf', 'find', 'findIndex', 'findLast', 'findLastIndex', 'includes', 'fill', 'copyWithin',
    'entries', 'keys', 'values', 'flat', 'flatMap', 'at', 'toSorted', 'toReversed', 'toSpliced', 'with'],
  'Array': ['isArray', 'from', 'of'],
  'Object': ['keys', 'create', 'defineProperty', 'defineProperties', 'getPrototypeOf', 'getOwnPropertyNames',
    'getOwnPropertyDescriptor', 'freeze', 'seal', 'preventExtensions', 'isFrozen', 'isSealed', 'isExtensible',
    'assign', 'entries', 'values', 'fromEntries', 'setPrototypeOf', 'is'],
  'String.prototype': ['trim', 'trimStart', 'trimEnd', 'trimLeft', 'trimRight', 'includes', 'startsWith',
    'endsWith', 'repeat', 'padStart', 'padEnd', 'at', 'codePointAt', 'normalize', 'replaceAll', 'matchAll'],
  'String': ['fromCodePoint', 'raw'],
  'Function.prototype': ['bind'],
  'Date': ['now'],
  'Date.prototype': ['toISOString', 'toJSON'],
  'Number': ['isNaN', 'isFinite', 'isInteger', 'isSafeInteger', 'parseFloat', 'parseInt', 'EPSILON'],
  'Math': ['sign', 'trunc', 'hypot', 'log2', 'log10', 'cbrt', 'fround', 'imul', 'clz32', 'expm1', 'log1p',
    'sinh', 'cosh', 'tanh', 'asinh', 'acosh', 'atanh'],
  '': ['JSON', 'Map', 'Set', 'WeakMap', 'WeakSet', 'Promise', 'Reflect', 'Proxy', 'Symbol', 'globalThis',
    'ArrayBuffer', 'Uint8Array', 'Float32Array', 'Float64Array', 'Int32Array', 'BigInt', 'queueMicrotask',
    'structuredClone'],
};

// ECMAScript 3 does not promise a stable sort: this one puts equal
// elements in reverse order, so the script cannot rely on stability.
const UNSTABLE_SORT = `(function (stableSort) {
  Array.prototype.sort = function (compare) {
    this.reverse();
    return stableSort.call(this, compare);
  };
})(Array.prototype.sort);`;

function removeNewerLibrary(context) {
  const lines = [];
  for (const [owner, names] of Object.entries(NEWER_LIBRARY)) {
    for (const name of names) lines.push(owner ? `delete ${owner}.${name};` : `delete this.${name};`);
  }
  vm.runInContext(lines.join('\n'), context);
  vm.runInContext(UNSTABLE_SORT, context);
}

// settings: comp (null for none, 'footage' for a non-composition, else
// {time, duration}), user(dialogUser) acting in the dialog, faults: an
// operation's refusal, {addShape: message} or {addProperty, setValue or
// setTemporalEaseAtKey: {matchName: message}}.
function createHost(settings) {
  const model = {
    alerts: [],
    undo: [],
    tasks: [],
    dialogs: [],
    dialogShown: false,
    user: settings.user || (() => fail('no dialog was expected')),
    faults: settings.faults || {},
    checkFault(operation, detail) {
      const fault = this.faults[operation];
      if (typeof fault === 'string') fail(fault);
      if (fault && detail in fault) fail(fault[detail]);
    },
  };

  let activeItem = null;
  if (settings.comp === 'footage') activeItem = strict(new FootageItem(), 'FootageItem');
  else if (settings.comp) activeItem = strict(new CompItem(model, settings.comp), 'CompItem');
  model.comp = activeItem;

  const app = strict({
    project: strict({activeItem, numItems: activeItem ? 1 : 0}, 'Project'),
    beginUndoGroup(name) {
      checkArgumentCount(arguments, 1, 1, 'app.beginUndoGroup');
      if (typeof name !== 'string') fail('an undo group name is a string');
      model.undo.push(`begin ${name}`);
    },
    endUndoGroup() {
      checkArgumentCount(arguments, 0, 0, 'app.endUndoGroup');
      model.undo.push('end');
    },
    scheduleTask(code, delay, repeat) {
      checkArgumentCount(arguments, 3, 3, 'app.scheduleTask');
      if (typeof code !== 'string' || !isNumber(delay) || typeof repeat !== 'boolean') {
        fail('app.scheduleTask takes a script text, milliseconds and a repeat flag');
      }
      model.tasks.push({code, delay, repeat});
      return model.tasks.length;
    },
  }, 'app');

  const dollar = strict({global: null}, '$');
  const sandbox = {
    $: dollar,
    app,
    alert(text) {
      checkArgumentCount(arguments, 1, 3, 'alert');
      if (typeof text !== 'string') fail('alert takes a text');
      model.alerts.push(text);
    },
    Window: function (...args) {
      if (!new.target) fail('Window must be created with new');
      Window.currentModel = model;
      return new Window(...args);
    },
    CompItem,
    Shape,
    KeyframeEase,
  };
  const context = vm.createContext(sandbox);
  removeNewerLibrary(context);
  dollar.global = vm.runInContext('this', context);
  model.context = context;
  return model;
}

// The layer the script built, as plain data for comparisons.
function describeLayers(model) {
  if (!model.comp || !(model.comp instanceof CompItem)) return [];
  const layers = [];
  for (const layer of model.comp.layers.list) {
    const groups = [];
    for (const letter of layer.contents.children) {
      if (letter.matchName !== 'ADBE Vector Group') fail(`unexpected ${letter.matchName} at the layer's top`);
      const contents = letter.children[1];
      const described = {name: letter.name, paths: [], stroke: null, trim: null, order: []};
      for (const item of contents.children) {
        described.order.push(item.matchName);
        const child = (matchName) => item.children.find((c) => c.matchName === matchName);
        if (item.matchName === 'ADBE Vector Shape - Group') {
          described.paths.push(child('ADBE Vector Shape').value);
        } else if (item.matchName === 'ADBE Vector Graphic - Stroke') {
          described.stroke = {
            color: child('ADBE Vector Stroke Color').value,
            width: child('ADBE Vector Stroke Width').value,
            cap: child('ADBE Vector Stroke Line Cap').value,
            join: child('ADBE Vector Stroke Line Join').value,
          };
        } else if (item.matchName === 'ADBE Vector Filter - Trim') {
          described.trim = {type: child('ADBE Vector Trim Type').value, end: child('ADBE Vector Trim End').keys};
        }
      }
      groups.push(described);
    }
    layers.push({name: layer.rawName, label: layer.rawLabel, groups});
  }
  return layers;
}

module.exports = {createHost, describeLayers};
