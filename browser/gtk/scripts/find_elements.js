const all = allElements();
const found = [];
for (let i = 0; i < count(all); ++i) {
  const element = item(all, i);
  if (kindOf(element, byTag) !== kind) continue;
  const text = match === 'caption' ? captionOf(element) : textOf(element, match);
  found.push([i, typeof text === 'string' ? text : '']);
}
return found;
