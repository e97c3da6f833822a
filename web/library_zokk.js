// The page's side of the demo's SDL and SDL_mixer calls, linked with --js-library. It replaces
// the few functions whose browser versions do not do what the desktop does.
//
// A test may set globalThis.zokkClock before the show starts:
//   ticks    the value SDL_GetTicks returns (while set, the real clock is not read);
//   seed     srand(seed) before every frame, when set;
//   onFrame  called with the WebGL context after each frame is drawn, before it is shown.
mergeInto(LibraryManager.library, {
  $ZokkMusic: {
    context: null,
    tracks: [],
    playing: null,
    // Starts the decoded track at the requested offset plus the time spent decoding, so the
    // music stays where the pictures are; the gain ramps up over the fade.
    start: function(play) {
      var context = ZokkMusic.context;
      var elapsed = (performance.now() - play.requested) / 1000;
      var source = context.createBufferSource();
      source.buffer = play.track.buffer;
      var gain = context.createGain();
      var now = context.currentTime;
      gain.gain.setValueAtTime(0, now);
      gain.gain.linearRampToValueAtTime(1, now + play.fadeMs / 1000);
      source.connect(gain);
      gain.connect(context.destination);
      source.start(0, play.position + elapsed);
      play.source = source;
      Module['music'] = {file: play.track.path, position: play.position, fadeMs: play.fadeMs,
                         startedAt: play.position + elapsed};
    },
    stop: function() {
      var play = ZokkMusic.playing;
      ZokkMusic.playing = null;
      if (play && play.source) play.source.stop();
    },
  },

  // The music file is decoded from the packed data; decoding takes a moment, so the music
  // starts as soon as it is ready and as far in as the show has got meanwhile.
  Mix_LoadMUS__deps: ['$ZokkMusic', '$FS'],
  Mix_LoadMUS: function(file) {
    var path = UTF8ToString(file);
    var bytes;
    try {
      bytes = FS.readFile(path);
    } catch (e) {
      return 0;
    }
    if (!ZokkMusic.context) {
      ZokkMusic.context = new AudioContext();
    }
    var track = {path: path, buffer: null, waiting: []};
    ZokkMusic.context.decodeAudioData(bytes.buffer.slice(bytes.byteOffset,
                                                         bytes.byteOffset + bytes.length))
      .then(function(buffer) {
        track.buffer = buffer;
        track.waiting.forEach(function(play) { if (ZokkMusic.playing === play) ZokkMusic.start(play); });
      }, function(e) {
        err('Music: cannot decode ' + path + ': ' + e);
      });
    ZokkMusic.tracks.push(track);
    return ZokkMusic.tracks.length;
  },

  Mix_FadeInMusic__deps: ['$ZokkMusic'],
  Mix_FadeInMusic: function(id, loops, ms) {
    var track = ZokkMusic.tracks[id - 1];
    if (!track) return -1;
    ZokkMusic.stop();
    var play = {track: track, position: 0, fadeMs: ms, requested: performance.now(), source: null};
    ZokkMusic.playing = play;
    // The show sets the position right after this call, before anything can play.
    Promise.resolve().then(function() {
      if (ZokkMusic.playing !== play) return;
      if (track.buffer) ZokkMusic.start(play); else track.waiting.push(play);
    });
    return 0;
  },

  Mix_SetMusicPosition__deps: ['$ZokkMusic'],
  Mix_SetMusicPosition: function(position) {
    var play = ZokkMusic.playing;
    if (!play) return -1;
    play.position = position;
    play.requested = performance.now();
    if (play.source) {
      play.source.stop();
      ZokkMusic.start(play);
    }
    return 0;
  },

  Mix_FreeMusic__deps: ['$ZokkMusic'],
  Mix_FreeMusic: function(id) {
    var track = ZokkMusic.tracks[id - 1];
    if (ZokkMusic.playing && ZokkMusic.playing.track === track) ZokkMusic.stop();
  },

  SDL_GetTicks__deps: ['$SDL'],
  SDL_GetTicks: function() {
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

  // Full-screen shows the canvas's frame (with its black margins), scaled by the page.
  SDL_WM_ToggleFullScreen: function(surface) {
    var frame = Module['fullscreenElement'] || Module['canvas'];
    if (document.fullscreenElement) {
      document.exitFullscreen();
    } else if (frame.requestFullscreen) {
      frame.requestFullscreen().catch(function() {});
    }
    return 1;
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
