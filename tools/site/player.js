(function () {
  var video = document.getElementById('player');
  var kind = video.dataset.kind, page = video.dataset.page;
  function report(extra) {
    var q = 'page=' + page + '&kind=' + kind + '&t=' + video.currentTime.toFixed(2) +
        '&muted=' + (video.muted ? 1 : 0) + '&paused=' + (video.paused ? 1 : 0) +
        '&volume=' + video.volume.toFixed(2) + (extra || '');
    fetch('/__play?' + q, {cache: 'no-store'}).catch(function () {});
  }
  function start() {
    var playing = video.play();
    if (playing) playing.catch(function (e) { report('&error=' + encodeURIComponent(e.name)); });
  }
  if (kind === 'mp4') {
    video.loop = true;
    video.src = '/media/clip.mp4';
    start();
  } else if (kind === 'hls') {
    var hls = new Hls();
    hls.on(Hls.Events.MANIFEST_PARSED, start);
    hls.loadSource('/media/hls/clip.m3u8');
    hls.attachMedia(video);
    video.addEventListener('ended', function () { video.currentTime = 0; start(); });
  } else if (kind === 'flv') {
    var player = null;
    var open = function () {
      if (player) player.destroy();
      player = mpegts.createPlayer({type: 'flv', url: '/media/clip.flv'});
      player.attachMediaElement(video);
      player.load();
      start();
    };
    video.addEventListener('ended', open);
    open();
  }
  setInterval(report, 1000);
  function toggle() {
    if (document.fullscreenElement) document.exitFullscreen();
    else video.requestFullscreen().catch(function (e) { report('&error=' + e.name); });
  }
  video.addEventListener('dblclick', toggle);
  document.getElementById('fullscreen').addEventListener('click', toggle);
  document.addEventListener('fullscreenchange', function () {
    report('&fullscreen=' + (document.fullscreenElement ? 1 : 0));
  });
})();
