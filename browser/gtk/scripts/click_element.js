const element = item(allElements(), index);
if (!element || kindOf(element, byTag) !== kind) return false;
invoke(element, 'click');
return true;
