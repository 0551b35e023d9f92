if (!read(document, 'documentElement')) return null;
const selection = invoke(document, 'getSelection');
return selection ? invoke(selection, 'toString') : null;
