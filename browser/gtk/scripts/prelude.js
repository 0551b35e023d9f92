// Runs in our own script world, so the page cannot redefine what is called
// here. Named form controls still shadow properties of forms and of the
// document in every world, so DOM members are looked up on the prototypes,
// never on the objects themselves.
function member(object, name) {
  for (let p = Object.getPrototypeOf(object); p !== null; p = Object.getPrototypeOf(p)) {
    const d = Object.getOwnPropertyDescriptor(p, name);
    if (d) return d;
  }
  return undefined;
}
function read(object, name) {
  const d = member(object, name);
  if (!d) return undefined;
  return d.get ? d.get.call(object) : d.value;
}
function invoke(object, name, ...args) {
  return member(object, name).value.apply(object, args);
}
function attribute(element, name) { return invoke(element, 'getAttribute', name); }
function item(collection, index) { return invoke(collection, 'item', index); }
function count(collection) { return read(collection, 'length'); }
function allElements() { return invoke(document, 'getElementsByTagName', '*'); }
function textOf(element, name) {
  const value = read(element, name);
  if (typeof value === 'string') return value;
  return attribute(element, name);
}
function kindOf(element, byTag) {
  const kind = byTag ? read(element, 'tagName') : textOf(element, 'type');
  return typeof kind === 'string' ? kind.toLowerCase() : '';
}
// The caption the user reads on a button: a <button>'s text, an input's value.
function captionOf(element) {
  if (read(element, 'tagName') === 'BUTTON') {
    const text = read(element, 'innerText');
    return typeof text === 'string' ? text.trim() : '';
  }
  return textOf(element, 'value');
}
// "scheme://host:port" of an http(s) address, the default port written out,
// as the program spells the origins it accepts; '' for anything else.
function originOf(address) {
  let url;
  try {
    url = new URL(address);
  } catch (bad) {
    return '';
  }
  const scheme = url.protocol.slice(0, -1);
  if ((scheme !== 'http' && scheme !== 'https') || url.hostname === '') return '';
  return scheme + '://' + url.hostname + ':' + (url.port !== '' ? url.port : scheme === 'https' ? '443' : '80');
}
