// The page's side of the demo's SDL and SDL_mixer calls, linked with --js-library. It replaces
// the few functions whose browser versions do not do what the desktop does.
//
// Module.music says what the show plays: the file, the position and the fade.
//
// A test may set globalThis.zokkClock before the show starts:
//   ticks    the value SDL_GetTicks returns (while set, the real clock is not read);
//   seed     srand(seed) before every frame, when set;
//   onFrame  called with the WebGL context after each frame is drawn, before it is shown.
mergeInto(LibraryManager.library, {
  // Every Ogg file in the packed data is decoded while the page loads, so the music can start
  // with the first frame; Module.musicReady settles when they are done. The audio context is
  // made then too, and resumed by the click that starts the show.
  $ZokkMusic__postset: 'addOnInit(function() { ZokkMusic.decodeAll("/data"); });',
  $ZokkMusic__deps: ['$FS'],
  $ZokkMusic: {
    context: null,
    decoded: {},
    tracks: [],
    playing: null,
    decodeAll: function(folder) {
      // A browser without Web Audio, or a page without music, plays the show silently.
      var names = [];
      try {
        ZokkMusic.context = new AudioContext();
        names = FS.readdir(folder).filter(function(name) { return /\.ogg$/.test(name); });
      } catch (e) {
      }
      // A page whose show has failed falls silent with it.
      Module['silence'] = function() {
        ZokkMusic.stop();
        if (ZokkMusic.context) ZokkMusic.context.close();
      };
      Module['musicReady'] = Promise.all(names.map(function(name) {
        var path = folder + '/' + name;
        var bytes = FS.readFile(path);
        return ZokkMusic.context.decodeAudioData(bytes.buffer.slice(bytes.byteOffset,
                                                                    bytes.byteOffset + bytes.length))
          .then(function(buffer) { ZokkMusic.decoded[path] = buffer; },
                function(e) { err('Music: cannot decode ' + path + ': ' + e); });
      }));
    },
    // Starts the track at the requested offset; the gain ramps up over the fade.
    start: function(play) {
      var context = ZokkMusic.context;
      context.resume();
      var source = context.createBufferSource();
      source.buffer = play.buffer;
      var gain = context.createGain();
      var now = context.currentTime;
      gain.gain.setValueAtTime(0, now);
      gain.gain.linearRampToValueAtTime(1, now + play.fadeMs / 1000);
      source.connect(gain);
      gain.connect(context.destination);
      source.start(0, play.position);
      play.source = source;
      play.gain = gain;
      Module['music'] = {file: play.path, position: play.position, fadeMs: play.fadeMs};
    },
    stop: function() {
      var play = ZokkMusic.playing;
      ZokkMusic.playing = null;
      if (play && play.source) play.source.stop();
    },
  },

  // A music handle is the index, from 1, of a decoded file; a file that is not there, or
  // did not decode, gives none, and the show plays silently as on the desktop.
  Mix_LoadMUS__deps: ['$ZokkMusic', '$PATH_FS'],
  Mix_LoadMUS: function(file) {
    var path = PATH_FS.resolve(UTF8ToString(file));
    if (!ZokkMusic.decoded[path]) return 0;
    ZokkMusic.tracks.push(path);
    return ZokkMusic.tracks.length;
  },

  Mix_FadeInMusic__deps: ['$ZokkMusic'],
  Mix_FadeInMusic: function(id, loops, ms) {
    var path = ZokkMusic.tracks[id - 1];
    if (!path) return -1;
    ZokkMusic.stop();
    var play = {path: path, buffer: ZokkMusic.decoded[path], position: 0, fadeMs: ms, source: null};
    ZokkMusic.playing = play;
    ZokkMusic.start(play);
    return 0;
  },

  // Playing on from another position is a new source on the same decoded buffer; the fade
  // goes on from where it was.
  Mix_SetMusicPosition__deps: ['$ZokkMusic'],
  Mix_SetMusicPosition: function(position) {
    var play = ZokkMusic.playing;
    if (!play) return -1;
    play.source.stop();
    play.source.disconnect();
    var context = ZokkMusic.context;
    var source = context.createBufferSource();
    source.buffer = play.buffer;
    source.connect(play.gain);
    source.start(0, position);
    play.source = source;
    play.position = position;
    Module['music'].position = position;
    return 0;
  },

  Mix_FreeMusic__deps: ['$ZokkMusic'],
  Mix_FreeMusic: function(id) {
    var path = ZokkMusic.tracks[id - 1];
    if (ZokkMusic.playing && ZokkMusic.playing.path === path) ZokkMusic.stop();
  },

  // The clock behind SDL_GetTicks (Platform.cpp), in milliseconds since SDL started.
  zokk_ticks__deps: ['$SDL'],
  zokk_ticks: function() {
    var clock = globalThis['zokkClock'];
    if (clock && clock['ticks'] !== undefined) return clock['ticks'] | 0;
    return (Date.now() - SDL.startTime) | 0;
  },

  // The cursor hides over the canvas, in a window as in full-screen.
  SDL_ShowCursor: function(toggle) {
    var canvas = Module['canvas'];
    var shown = canvas.style.cursor !== 'none';
    if (toggle === 0) canvas.style.cursor = 'none';
    else if (toggle === 1) canvas.style.cursor = '';
    return shown ? 1 : 0;
  },

  // Full-screen shows the canvas's frame (with its black margins), scaled by the page. The
  // click or tap that starts the show enters it (Module.enterFullscreen), as the program opens
  // full-screen; a browser that refuses leaves the show in the page. The browser keeps Escape
  // for leaving full-screen; where it offers a keyboard lock, the page takes Escape back while
  // full-screen, so Escape reaches the show as on the desktop. Any exit from full-screen that
  // the page did not ask for (f, a double tap and the end of the show ask) ends the show as
  // Escape does, which covers the browsers without the lock and a phone's own way out. In
  // full-screen the page asks for landscape, where a 4:3 picture is larger; desktops refuse.
  $ZokkScreen__postset: 'addOnInit(function() { ZokkScreen.watch(); });',
  $ZokkScreen__deps: ['$SDL'],
  $ZokkScreen: {
    leaving: false,
    lastTap: -Infinity,
    frame: function() {
      return Module['fullscreenElement'] || Module['canvas'];
    },
    watch: function() {
      document.addEventListener('fullscreenchange', function() {
        if (document.fullscreenElement) {
          if (navigator.keyboard && navigator.keyboard.lock) {
            navigator.keyboard.lock(['Escape']).catch(function() {});
          }
          if (screen.orientation && screen.orientation.lock) {
            screen.orientation.lock('landscape').catch(function() {});
          }
          return;
        }
        if (navigator.keyboard && navigator.keyboard.unlock) navigator.keyboard.unlock();
        var asked = ZokkScreen.leaving;
        ZokkScreen.leaving = false;
        if (!asked) {
          SDL.events.push({type: 'keydown', keyCode: 27}, {type: 'keyup', keyCode: 27});
        }
      });
      // A touch screen has no f: a double tap on the picture or its margins toggles instead.
      var frame = ZokkScreen.frame();
      frame.addEventListener('touchend', function(event) {
        if (event.target !== frame && event.target !== Module['canvas']) return;
        event.preventDefault();
        if (event.timeStamp - ZokkScreen.lastTap < 400) {
          ZokkScreen.lastTap = -Infinity;
          ZokkScreen.toggle();
        } else {
          ZokkScreen.lastTap = event.timeStamp;
        }
      });
      Module['enterFullscreen'] = ZokkScreen.enter;
    },
    enter: function() {
      var frame = ZokkScreen.frame();
      if (frame.requestFullscreen) frame.requestFullscreen().catch(function() {});
    },
    leave: function() {
      if (!document.fullscreenElement) return;
      ZokkScreen.leaving = true;
      document.exitFullscreen().catch(function() { ZokkScreen.leaving = false; });
    },
    toggle: function() {
      if (document.fullscreenElement) {
        ZokkScreen.leave();
      } else {
        ZokkScreen.enter();
      }
    },
  },

  SDL_WM_ToggleFullScreen__deps: ['$ZokkScreen'],
  SDL_WM_ToggleFullScreen: function(surface) {
    ZokkScreen.toggle();
    return 1;
  },

  // The page stays after the show, so SDL has nothing to shut down in it (the browser's
  // version would also say so on the console, between the show's own lines); only full-screen
  // is left, as the desktop's is, so that the page's closing words can be seen.
  SDL_Quit__deps: ['$ZokkScreen'],
  SDL_Quit: function() {
    ZokkScreen.leave();
  },

  // A lost WebGL context comes back only if the page asks for it by cancelling the loss. The
  // next swap after its return rebuilds the GL layer (FixedFunction::restore).
  // SDL asks for WebGL 2 wherever the browser knows it; a browser that refuses it here (as
  // some do for a GPU they distrust) gives WebGL 1, and the show plays on that.
  $ZokkContext__postset: 'addOnInit(function() { ZokkContext.watch(Module["canvas"]); });',
  $ZokkContext__deps: ['$Browser'],
  $ZokkContext: {
    restored: false,
    watch: function(canvas) {
      var create = Browser.createContext;
      Browser.createContext = function(canvas, useWebGL, setInModule, attributes) {
        var ctx = create(canvas, useWebGL, setInModule, attributes);
        if (ctx || !useWebGL) return ctx;
        var webgl1 = Object.assign({}, attributes, {majorVersion: 1});
        return create(canvas, useWebGL, setInModule, webgl1);
      };
      canvas.addEventListener('webglcontextlost', function(event) { event.preventDefault(); });
      canvas.addEventListener('webglcontextrestored', function() { ZokkContext.restored = true; });
    },
  },

  zokk_context_restored__deps: ['$ZokkContext'],
  zokk_context_restored: function() {
    var restored = ZokkContext.restored;
    ZokkContext.restored = false;
    return restored ? 1 : 0;
  },

  // Texture names stay the show's own across a lost context: WebGL's objects behind them
  // change. While the context is lost a name has none.
  zokk_new_texture__deps: ['$GL'],
  zokk_new_texture: function() {
    var name = GL.getNewId(GL.textures);
    var texture = GLctx.createTexture();
    if (texture) texture.name = name;
    GL.textures[name] = texture;
    return name;
  },

  zokk_forget__deps: ['$GL'],
  zokk_forget: function(program, buffer) {
    GL.programs[program] = null;
    GL.buffers[buffer] = null;
  },

  zokk_renew_texture__deps: ['$GL'],
  zokk_renew_texture: function(name) {
    var texture = GLctx.createTexture();
    if (texture) texture.name = name;
    GL.textures[name] = texture;
  },

  zokk_present: function() {
    return Asyncify.handleSleep(function(wakeUp) {
      var clock = globalThis['zokkClock'];
      if (clock && clock['onFrame']) clock['onFrame'](GLctx);
      requestAnimationFrame(function() { wakeUp(); });
    });
  },

  zokk_frame_seed: function() {
    var clock = globalThis['zokkClock'];
    return clock && clock['seed'] !== undefined ? clock['seed'] | 0 : -1;
  },
});
