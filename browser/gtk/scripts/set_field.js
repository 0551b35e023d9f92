const target = item(read(document, 'forms'), form);
if (!target) return false;
const element = item(read(target, 'elements'), field);
if (!element || textOf(element, 'name') !== name) return false;
const setter = member(element, 'value');
if (!setter || !setter.set) return false;
try {
  setter.set.call(element, value);
} catch (e) {
  return false;
}
// Pages that check their fields as the user types see what typing would give.
for (const type of ['input', 'change'])
  invoke(element, 'dispatchEvent', new Event(type, {bubbles: true}));
return true;
