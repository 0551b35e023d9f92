const forms = read(document, 'forms');
const result = [];
for (let f = 0; f < count(forms); ++f) {
  const form = item(forms, f);
  const fields = read(form, 'elements');
  const names = [];
  for (let e = 0; e < count(fields); ++e) names.push(textOf(item(fields, e), 'name'));
  result.push([textOf(form, 'name'), names]);
}
return result;
