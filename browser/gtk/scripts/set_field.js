// Only the document of the page asked for is filled. Its origin is read here,
// in the same turn as the fill: the address the engine reports while a load
// is under way is that of the page to come, not of the document shown.
if (origins !== '' && !origins.split(' ').includes(originOf(read(document, 'URL')))) return 'elsewhere';
// The field is chosen and filled in one turn of the page, so the page cannot
// swap the field between the two.
const forms = read(document, 'forms');
let passes = passOver;
for (let f = 0; f < count(forms); ++f) {
  const form = item(forms, f);
  if (formName !== '' && textOf(form, 'name') !== formName) continue;
  const fields = read(form, 'elements');
  for (let e = 0; e < count(fields); ++e) {
    const element = item(fields, e);
    if (textOf(element, 'name') !== name) continue;
    // The count passes over forms that hold the field, not fields.
    if (--passes >= 0) break;
    const setter = member(element, 'value');
    if (!setter || !setter.set) continue;
    try {
      setter.set.call(element, value);
    } catch (refused) {
      continue;  // a field that will not take the value (a file input) lets the next one try
    }
    // Pages that check their fields as the user types see what typing would give.
    for (const type of ['input', 'change'])
      invoke(element, 'dispatchEvent', new Event(type, {bubbles: true}));
    return true;
  }
}
return false;
