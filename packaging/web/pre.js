// Runs in the game's module before the game starts.
//
// The high-score table lives in the browser's storage (IndexedDB), mounted at
// /save/ and read back before the game starts; the game copies it back after
// every save. The page's address can pass the game its command line and a
// trace of its screens, for tests and the curious:
//   index.html?args=--nosound         the game's options, separated by spaces
//   index.html?trace                  the screen trace on the console
var sqQuery = new URLSearchParams(location.search);
if (sqQuery.has('args')) {
  Module['arguments'] = sqQuery.get('args').split(' ').filter(function(a) { return a.length > 0; });
}
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function() {
  if (sqQuery.has('trace')) ENV['SNOWQUILL_TRACE'] = '/dev/stderr';
  FS.mkdir('/save');
  try {
    FS.mount(IDBFS, {}, '/save');
  } catch (e) {
    console.warn('Snowquill: no browser storage for the high scores (' + e + '); they last until the page closes');
    return;
  }
  addRunDependency('snowquill-save');
  FS.syncfs(true, function(err) {
    if (err) console.warn('Snowquill: the saved high scores could not be read (' + err + ')');
    removeRunDependency('snowquill-save');
  });
});
