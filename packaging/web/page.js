// The page around the game: the picture's size, the keys the browser must
// leave to the game, the note about sound, touch controls, the game's last
// word, and the service worker that keeps the game for offline play.
(function() {
  'use strict';
  var W = 320, H = 240;
  var canvas = document.getElementById('canvas');
  var stage = document.getElementById('stage');
  var status = document.getElementById('status');
  var soundNote = document.getElementById('sound');
  var scaling = document.getElementById('scaling');

  // ---- The picture's size.
  // 'fill' (the default): the largest 4:3 picture that fits, the game drawing
  // at a whole multiple of its size and the browser smoothing that to the
  // final size, so no game pixel is blurred across more than one screen
  // pixel. 'whole': the largest whole multiple that fits, without smoothing.
  var modeKey = 'snowquill-scaling';
  var mode = 'fill';
  try { if (localStorage.getItem(modeKey) === 'whole') mode = 'whole'; } catch (e) {}

  function fit() {
    var room = stage.getBoundingClientRect();
    var w, h;
    if (mode === 'whole') {
      var scale = Math.min(room.width / W, room.height / H);
      scale = scale >= 1 ? Math.floor(scale) : scale;
      w = Math.floor(W * scale);
      h = Math.floor(H * scale);
    } else {
      h = Math.floor(Math.min(room.height, room.width * 3 / 4));
      h -= h % 3;
      w = h / 3 * 4;
    }
    w = Math.max(w, 4);
    h = Math.max(h, 3);
    canvas.style.setProperty('width', w + 'px', 'important');
    canvas.style.setProperty('height', h + 'px', 'important');
    canvas.classList.toggle('whole', mode === 'whole');
    // How many pixels the canvas should have: the game reads this each frame.
    var ratio = window.devicePixelRatio || 1;
    Module.sqCanvas = { w: Math.round(w * ratio), h: Math.round(h * ratio), smooth: mode === 'fill' };
    scaling.textContent = mode === 'fill' ? 'Picture: fill the window' : 'Picture: whole multiples';
  }
  scaling.addEventListener('click', function() {
    mode = mode === 'fill' ? 'whole' : 'fill';
    try { localStorage.setItem(modeKey, mode); } catch (e) {}
    fit();
    canvas.focus();
  });
  window.addEventListener('resize', fit);
  document.addEventListener('fullscreenchange', fit);

  // ---- Keys. The game's keys are the game's: the page does not scroll on
  // them, and F11 gives the game the whole screen.
  var gameKeys = { ArrowUp: 1, ArrowDown: 1, ArrowLeft: 1, ArrowRight: 1, Space: 1, Tab: 1, Backspace: 1 };
  window.addEventListener('keydown', function(e) {
    if (gameKeys[e.code]) e.preventDefault();
    if (e.code === 'F11') {
      e.preventDefault();
      if (document.fullscreenElement) document.exitFullscreen();
      else if (stage.requestFullscreen) stage.requestFullscreen().catch(function() {});
    }
  }, true);

  // Browsers start sound only after a key press or a touch.
  function audioContext() {
    var sdl = Module['SDL2'];
    return sdl && sdl.audioContext;
  }
  function watchSound() {
    var ctx = audioContext();
    soundNote.classList.toggle('hidden', !ctx || ctx.state === 'running');
    if (!ctx || ctx.state !== 'running') setTimeout(watchSound, 500);
  }

  // ---- Touch controls, for a touch screen (a coarse pointer) alone.
  var touch = document.getElementById('touch');
  var typed = document.getElementById('typed');
  var keyCodes = { ArrowLeft: 37, ArrowUp: 38, ArrowRight: 39, ArrowDown: 40, ControlLeft: 17, Space: 32,
                   Escape: 27, Enter: 13, Backspace: 8 };
  var keyNames = { ArrowLeft: 'ArrowLeft', ArrowUp: 'ArrowUp', ArrowRight: 'ArrowRight', ArrowDown: 'ArrowDown',
                   ControlLeft: 'Control', Space: ' ', Escape: 'Escape', Enter: 'Enter', Backspace: 'Backspace' };
  // A key event as the keyboard sends it, to where the game listens.
  function sendKey(type, code) {
    var keyCode = keyCodes[code], key = keyNames[code];
    if (keyCode === undefined) {  // a letter or digit: KeyA, Digit5
      key = code.slice(-1);
      keyCode = key.toUpperCase().charCodeAt(0);
    }
    var e = new KeyboardEvent(type, { key: key, code: code, location: code === 'ControlLeft' ? 1 : 0,
                                      bubbles: true, cancelable: true });
    Object.defineProperty(e, 'keyCode', { get: function() { return keyCode; } });
    Object.defineProperty(e, 'which', { get: function() { return keyCode; } });
    window.dispatchEvent(e);
  }
  function startSound() {
    var ctx = audioContext();
    if (ctx && ctx.state !== 'running') ctx.resume();
  }
  Array.prototype.forEach.call(touch.querySelectorAll('button[data-code]'), function(button) {
    var code = button.getAttribute('data-code');
    var pointers = 0;
    function release(e) {
      if (!button.hasPointerCapture(e.pointerId)) return;
      button.releasePointerCapture(e.pointerId);
      if (--pointers === 0) {
        button.classList.remove('held');
        sendKey('keyup', code);
      }
    }
    button.addEventListener('pointerdown', function(e) {
      e.preventDefault();
      startSound();
      button.setPointerCapture(e.pointerId);
      if (pointers++ === 0) {
        button.classList.add('held');
        sendKey('keydown', code);
      }
    });
    button.addEventListener('pointerup', release);
    button.addEventListener('pointercancel', release);
    button.addEventListener('lostpointercapture', function(e) {
      if (pointers > 0 && --pointers === 0) {
        button.classList.remove('held');
        sendKey('keyup', code);
      }
    });
  });
  // The name is typed with the phone's own keyboard: each letter reaches the
  // game as a key, its Enter keeps the name.
  document.getElementById('typing').addEventListener('pointerdown', function(e) {
    e.preventDefault();
    startSound();
    typed.value = '';
    typed.focus();
  });
  typed.addEventListener('input', function(e) {
    if (e.inputType === 'deleteContentBackward') {
      sendKey('keydown', 'Backspace');
      sendKey('keyup', 'Backspace');
    }
    (e.data || '').toUpperCase().split('').forEach(function(c) {
      var code = c === ' ' ? 'Space' : /[A-Z]/.test(c) ? 'Key' + c : /[0-9]/.test(c) ? 'Digit' + c : '';
      if (!code) return;
      sendKey('keydown', code);
      sendKey('keyup', code);
    });
    typed.value = '';
  });
  typed.addEventListener('keydown', function(e) {
    if (e.key !== 'Enter') return;
    e.preventDefault();
    sendKey('keydown', 'Enter');
    sendKey('keyup', 'Enter');
    typed.blur();
    canvas.focus();
  });
  var coarse = window.matchMedia('(pointer: coarse)');
  function showTouch() {
    touch.classList.toggle('hidden', !coarse.matches);
    fit();
  }
  if (coarse.addEventListener) coarse.addEventListener('change', showTouch);

  // ---- The game.
  window.Module = {
    canvas: canvas,
    print: function(text) { console.log(text); },
    printErr: function(text) { console.error(text); },
    setStatus: function(text) {
      if ('sqExitCode' in Module) return;  // the game's last word stays
      var m = /\((\d+(?:\.\d+)?)\/(\d+)\)/.exec(text || '');
      status.textContent = m ? 'Loading\u2026 ' + Math.round(100 * m[1] / m[2]) + '%' : (text || '');
      status.classList.toggle('hidden', !text);
    },
    onRuntimeInitialized: function() {
      status.classList.add('hidden');
      canvas.focus();
      fit();
      setTimeout(watchSound, 500);
    },
    onExit: function(code) {
      Module.sqExitCode = code;
      console.log('Snowquill ended with status ' + code);
      status.textContent = code === 0 ? 'Thanks for playing! Reload the page to play again.'
                                      : 'Snowquill stopped (see the console for why). Reload the page to try again.';
      status.classList.remove('hidden');
    },
    onAbort: function(what) {
      Module.sqExitCode = -1;
      console.error('Snowquill stopped: ' + what);
      status.textContent = 'Snowquill stopped: ' + what;
      status.classList.remove('hidden');
    }
  };
  showTouch();

  // ---- Offline: the service worker keeps this build's files (sw.js).
  if ('serviceWorker' in navigator && window.isSecureContext) {
    navigator.serviceWorker.register('sw.js').catch(function(err) {
      console.warn('Snowquill: no offline copy (' + err + ')');
    });
  }
})();
