// Runs before every program of the browser build and sets up what a native
// program finds around it: its own path (/proc/self/exe), its folder as the
// working folder and, under node (the tests), the host's folders and
// environment.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  var program;
  if (ENVIRONMENT_IS_NODE) {
    // The host's folders at their own paths, so the build tree's absolute
    // paths and the working folder given by the test runner hold.
    var fs = require('fs');
    fs.readdirSync('/').forEach(function (name) {
      if (['dev', 'proc', 'sys'].indexOf(name) >= 0) return;
      var path = '/' + name;
      var stat;
      try { stat = fs.statSync(path); } catch (e) { return; }
      if (!stat.isDirectory()) return;
      try { FS.mkdir(path); } catch (e) { /* MEMFS made it (/tmp, /home) */ }
      FS.mount(NODEFS, { root: path }, path);
    });
    for (var key in process.env) ENV[key] = process.env[key];
    FS.chdir(process.cwd());
    program = require('path').resolve(process.argv[1]).replace(/\.js$/, '');
  } else {
    // The page game/tiles.html runs the program /game/tiles, whose files
    // were packed into /game.
    var parts = location.pathname.split('/');
    var page = parts.pop().replace(/\.html$/, '') || 'index';
    var folder = '/' + (parts.pop() || '');
    try { FS.mkdirTree(folder); } catch (e) { /* the packed files made it */ }
    FS.chdir(folder);
    program = (folder === '/' ? '' : folder) + '/' + page;
  }
  try { FS.symlink(program, '/proc/self/exe'); } catch (e) { /* already there */ }
});
