#pragma once

// The pages of the theme layer test (kept apart: the meta-object compiler does not read raw strings).
namespace ondrix::test {

// The fixed form of a theme page: the movie in an object with an embed inside, filling the page.
constexpr const char* kMoviePage =
    "<html><head><title>movie</title></head><body style=\"margin:0;background:#000000\">"
    "<object width=\"800\" height=\"600\" classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\">"
    "<param name=\"movie\" value=\"movie.swf\"><param name=\"quality\" value=\"high\">"
    "<embed src=\"movie.swf\" quality=\"high\" width=\"800\" height=\"600\" "
    "type=\"application/x-shockwave-flash\"></object></body></html>";

// Each attempt reports "RESULT name outcome" on the console; the control load of the page's own
// file must succeed, everything else must not.
constexpr const char* kHostilePage = R"HTML(<html><head><title>hostile</title></head><body>
<img src="http://203.0.113.7/tag.png">
<script>
function report(name, outcome) { console.log("RESULT " + name + " " + outcome); }
function tryFetch(name, url) {
  return fetch(url).then(function (r) { return r.text().then(function (t) { report(name, "succeeded:" + t.length); }); },
                         function () { report(name, "blocked"); });
}
function tryXhr(name, url) {
  return new Promise(function (done) {
    try {
      var x = new XMLHttpRequest();
      x.open("GET", url);
      x.onload = function () { report(name, "succeeded:" + x.status + ":" + x.responseText.length); done(); };
      x.onerror = function () { report(name, "blocked"); done(); };
      x.send();
    } catch (e) { report(name, "blocked"); done(); }
  });
}
function tryImg(name, url) {
  return new Promise(function (done) {
    var i = new Image();
    i.onload = function () { report(name, "succeeded"); done(); };
    i.onerror = function () { report(name, "blocked"); done(); };
    i.src = url;
  });
}
function tryRtc(name) {
  return new Promise(function (done) {
    var found = 0;
    try {
      var peer = new RTCPeerConnection({ iceServers: [{ urls: "stun:203.0.113.7:3478" }] });
      peer.createDataChannel("out");
      peer.onicecandidate = function (e) {
        console.log("RTC candidate " + (e.candidate ? e.candidate.candidate : "end"));
        if (e.candidate) { ++found; return; }
        report(name, found ? "succeeded:" + found : "blocked"); done();
      };
      peer.createOffer().then(function (offer) { return peer.setLocalDescription(offer); });
      setTimeout(function () { report(name, found ? "succeeded:" + found : "blocked"); done(); }, 3000);
    } catch (e) { report(name, "blocked"); done(); }
  });
}
function later(ms) { return new Promise(function (done) { setTimeout(done, ms); }); }
window.onload = function () {
  var w = window.open("http://203.0.113.7/popup");
  report("window.open", w ? "succeeded" : "blocked");
  Promise.all([
    tryFetch("fetch-own", "data.txt"),
    tryFetch("fetch-web", "http://203.0.113.7/fetch"),
    tryXhr("xhr-web", "https://203.0.113.7/xhr"),
    tryImg("img-web", "http://203.0.113.7/img.png"),
    tryFetch("fetch-file", "file:///etc/passwd"),
    tryXhr("xhr-file", "file:///etc/passwd"),
    tryImg("img-file", "file:///usr/share/pixmaps/debian-logo.png"),
    tryFetch("fetch-up", "ondrix-theme://theme/sub/..%2f..%2f..%2fetc%2fpasswd"),
    tryFetch("fetch-link", "passwd.txt"),
    tryFetch("fetch-otherhost", "ondrix-theme://elsewhere/data.txt"),
    tryRtc("webrtc")
  ]).then(function () {
    report("attempts", "done");
    location.href = "http://203.0.113.7/away";
    return later(500);
  }).then(function () {
    location.href = "file:///etc/passwd";
    return later(500);
  }).then(function () {
    report("navigation", location.protocol === "ondrix-theme:" ? "blocked" : "succeeded");
  });
};
</script></body></html>)HTML";

// A hostile page for the layer program, which shows the outcome where it can be seen from
// outside: in its own colour (green when its own file was read and every other attempt was
// blocked, red otherwise; the still picture shows it). Every attempt goes to a server of the
// test on loopback port PORT, which must see no connection.
constexpr const char* kLoopbackHostilePage = R"HTML(<html><head><title>hostile</title></head>
<body style="margin:0;background:#0000FF">
<img src="http://127.0.0.1:PORT/tag.png">
<script>
var here = "http://127.0.0.1:PORT/";
function outcome(promise) { return promise.then(function (r) { return r === undefined ? "succeeded" : r; }, function () { return "blocked"; }); }
function viaFetch(url) { return outcome(fetch(url).then(function (r) { return r.text(); }).then(function (t) { return "succeeded:" + t.length; })); }
function viaXhr(url) {
  return new Promise(function (done) {
    try {
      var x = new XMLHttpRequest();
      x.open("GET", url);
      x.onload = function () { done("succeeded"); };
      x.onerror = function () { done("blocked"); };
      x.send();
    } catch (e) { done("blocked"); }
  });
}
function viaImg(url) {
  return new Promise(function (done) {
    var i = new Image();
    i.onload = function () { done("succeeded"); };
    i.onerror = function () { done("blocked"); };
    i.src = url;
  });
}
function viaSocket(url) {
  return new Promise(function (done) {
    try {
      var s = new WebSocket(url);
      s.onopen = function () { done("succeeded"); };
      s.onerror = function () { done("blocked"); };
    } catch (e) { done("blocked"); }
  });
}
window.onload = function () {
  var popup = window.open(here + "popup") ? "succeeded" : "blocked";
  Promise.all([
    viaFetch("data.txt"),
    viaFetch(here + "fetch"), viaXhr(here + "xhr"), viaImg(here + "img.png"), viaSocket("ws://127.0.0.1:PORT/ws"),
    viaFetch("file:///etc/passwd"), viaXhr("file:///etc/passwd"), viaFetch("passwd.txt"),
    viaFetch("ondrix-theme://elsewhere/data.txt")
  ]).then(function (results) {
    var own = results.shift();
    var ok = own === "succeeded:8" && popup === "blocked" &&
             results.every(function (r) { return r === "blocked"; });
    document.body.style.background = ok ? "#00FF00" : "#FF0000";
    document.title = own + " " + popup + " " + results.join(" ");
    location.href = here + "away";
  });
};
</script></body></html>)HTML";

} // namespace ondrix::test
