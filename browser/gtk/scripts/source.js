const root = read(document, 'documentElement');
return root ? read(root, 'innerHTML') : null;
