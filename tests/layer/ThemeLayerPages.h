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

} // namespace ondrix::test
