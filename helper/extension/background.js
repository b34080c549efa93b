"use strict";
// Wires the tracker to the real browser. performance.now() is monotonic: a change of the
// system clock cannot delay a reconnection.
YmtTracker.createTracker(browser, {
  setInterval: (fn, ms) => setInterval(fn, ms),
  clearInterval: (id) => clearInterval(id),
  now: () => performance.now(),
}).start();
