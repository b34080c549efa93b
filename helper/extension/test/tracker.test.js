"use strict";
const test = require("node:test");
const assert = require("node:assert/strict");

const { createTracker, pickAddress, SEND_INTERVAL_MS, RECONNECT_DELAY_MS } = require("../tracker.js");
const { FakeFirefox, FakeTimers, UUID, settle } = require("./fake_browser.js");

const A = "https://ja.wikipedia.org/wiki/A";
const B = "https://ja.wikipedia.org/wiki/B";
const C = "https://example.com/";

async function started(options = {}, setup = () => {}) {
  const firefox = new FakeFirefox(options);
  const timers = new FakeTimers();
  await setup(firefox);
  const tracker = createTracker(firefox.browser, timers);
  await tracker.start();
  await settle();
  return { firefox, timers, tracker };
}

// What the host was told since the call before.
function drain(firefox) {
  const all = firefox.urls();
  const seen = firefox.seen || 0;
  firefox.seen = all.length;
  return all.slice(seen);
}

test.describe("messages", () => {
  test("carry the profile's moz-extension identity and the address", async () => {
    const { firefox, tracker } = await started({}, async (f) => {
      const w = f.openWindow([A]);
      await f.focus(w.id);
    });
    assert.equal(tracker.identity, UUID);
    assert.deepEqual(firefox.messages()[0], { id: UUID, url: A });
    assert.equal(firefox.ports[0].name, "ymthelp");
  });

  test("say 'no page' as url null", async () => {
    const { firefox } = await started();
    assert.deepEqual(firefox.messages(), [{ id: UUID, url: null }]);
  });
});

test.describe("while a page is shown", () => {
  test("the address is sent every interval, and more often than once a second", async () => {
    assert.ok(SEND_INTERVAL_MS <= 1000);
    const { firefox, timers } = await started({}, async (f) => {
      await f.focus(f.openWindow([A]).id);
    });
    drain(firefox);
    await timers.advance(10 * SEND_INTERVAL_MS);
    assert.deepEqual(drain(firefox), Array(10).fill(A));
  });

  test("stays when Firefox is behind another program's window", async () => {
    const { firefox, timers } = await started({}, async (f) => {
      await f.focus(f.openWindow([A]).id);
    });
    await firefox.switchToOtherProgram();
    await settle();
    drain(firefox);
    await timers.advance(3 * SEND_INTERVAL_MS);
    assert.deepEqual(drain(firefox), [A, A, A]);
  });
});

test.describe("changes are sent at once", () => {
  test("tab switch", async () => {
    const { firefox } = await started({}, async (f) => {
      await f.focus(f.openWindow([A, B]).id);
    });
    drain(firefox);
    await firefox.activateTab(1, 1);
    await settle();
    assert.deepEqual(drain(firefox), [B]);
  });

  test("navigation in the active tab, but not in a background tab", async () => {
    const { firefox } = await started({}, async (f) => {
      await f.focus(f.openWindow([A, C]).id);
    });
    drain(firefox);
    await firefox.navigate(1, 0, B);
    await settle();
    assert.deepEqual(drain(firefox), [B]);
    // A background tab's navigation makes a fresh look, which still finds the active tab.
    await firefox.navigate(1, 1, A);
    await settle();
    assert.deepEqual(drain(firefox), [B]);
  });

  test("a tab update without a new address makes no extra message", async () => {
    const { firefox } = await started({}, async (f) => {
      await f.focus(f.openWindow([A]).id);
    });
    drain(firefox);
    await firefox.browser.tabs.onUpdated.fire(2, { status: "complete" }, {});
    await settle();
    assert.deepEqual(drain(firefox), []);
  });

  test("window focus moves to another window", async () => {
    let w1;
    const { firefox } = await started({}, async (f) => {
      w1 = f.openWindow([A]);
      const w2 = f.openWindow([B]);
      await f.focus(w2.id);
    });
    drain(firefox);
    await firefox.focus(w1.id);
    await settle();
    assert.deepEqual(drain(firefox), [A]);
  });

  test("a later answer is not overtaken by an earlier, slower one", async () => {
    const { firefox, tracker } = await started({}, async (f) => {
      await f.focus(f.openWindow([A, B]).id);
    });
    drain(firefox);
    // The first look gets its window list late, after the user switched tabs.
    const getAll = firefox.browser.windows.getAll;
    let release;
    const stale = await getAll({ populate: true });
    firefox.browser.windows.getAll = () => new Promise((resolve) => (release = () => resolve(stale)));
    const slow = tracker.evaluate();
    firefox.browser.windows.getAll = getAll;
    await firefox.activateTab(1, 1);
    await settle();
    release();
    await slow;
    await settle();
    assert.deepEqual(drain(firefox), [B]);
  });
});

test.describe("no page is shown", () => {
  test("all windows minimised: said once, then nothing while it lasts", async () => {
    let w1;
    let w2;
    const { firefox, timers } = await started({}, async (f) => {
      w1 = f.openWindow([A]);
      w2 = f.openWindow([B]);
      await f.focus(w2.id);
      await f.minimize(w1.id);
    });
    drain(firefox);
    await firefox.minimize(w2.id);
    await settle();
    assert.deepEqual(drain(firefox), [null]);
    await timers.advance(5 * SEND_INTERVAL_MS);
    assert.deepEqual(drain(firefox), []);
    await firefox.focus(w1.id);
    await settle();
    assert.deepEqual(drain(firefox), [A]);
  });

  test("the last window closed", async () => {
    const { firefox, timers } = await started({}, async (f) => {
      await f.focus(f.openWindow([A]).id);
    });
    drain(firefox);
    await firefox.closeWindow(1);
    await settle();
    await timers.advance(2 * SEND_INTERVAL_MS);
    assert.deepEqual(drain(firefox), [null]);
  });

  test("a private window the extension may not see takes the focus", async () => {
    const { firefox, timers } = await started({ incognitoAllowed: false }, async (f) => {
      await f.focus(f.openWindow([A]).id);
    });
    const secret = firefox.openWindow([B], { incognito: true });
    await firefox.focus(secret.id); // Firefox sends no event for it
    drain(firefox);
    await timers.advance(2 * SEND_INTERVAL_MS);
    assert.deepEqual(drain(firefox), [null]);
    assert.ok(!firefox.urls().includes(B));
    // Back to the first window: Firefox reports no change (it never said it left), so the
    // next look finds it.
    await firefox.focus(1);
    await timers.advance(SEND_INTERVAL_MS);
    assert.deepEqual(drain(firefox), [A]);
  });

  test("an empty tab address counts as no page", () => {
    const windows = [{ id: 1, focused: true, state: "normal", tabs: [{ active: true, url: "" }] }];
    assert.equal(pickAddress(windows, { lastWindowId: 1, inBackground: false }, false), null);
    windows[0].tabs[0].url = undefined; // no "tabs" permission
    assert.equal(pickAddress(windows, { lastWindowId: 1, inBackground: false }, false), null);
  });

  test("a failing window query counts as no page", async () => {
    const { firefox, timers } = await started({}, async (f) => {
      await f.focus(f.openWindow([A]).id);
    });
    drain(firefox);
    firefox.browser.windows.getAll = async () => {
      throw new Error("gone");
    };
    await timers.advance(SEND_INTERVAL_MS);
    assert.deepEqual(drain(firefox), [null]);
  });
});

test.describe("private windows", () => {
  test("are reported when the user allowed the extension in them", async () => {
    const { firefox } = await started({ incognitoAllowed: true }, async (f) => {
      f.openWindow([A]);
    });
    const secret = firefox.openWindow([B], { incognito: true });
    drain(firefox);
    await firefox.focus(secret.id);
    await settle();
    assert.deepEqual(drain(firefox), [B]);
  });

  test("are never reported otherwise, even if one is listed", () => {
    const windows = [{ id: 7, focused: true, state: "normal", incognito: true, tabs: [{ active: true, url: B }] }];
    assert.equal(pickAddress(windows, { lastWindowId: 7, inBackground: false }, false), null);
    assert.equal(pickAddress(windows, { lastWindowId: 7, inBackground: false }, true), B);
  });
});

test.describe("the host connection", () => {
  test("a host that ends is started again after the delay, and told the state afresh", async () => {
    const { firefox, timers } = await started({}, async (f) => {
      await f.focus(f.openWindow([A]).id);
    });
    firefox.ports[0].hostExits();
    await settle();
    await timers.advance(RECONNECT_DELAY_MS - SEND_INTERVAL_MS);
    assert.equal(firefox.ports.length, 1);
    await timers.advance(SEND_INTERVAL_MS);
    assert.equal(firefox.ports.length, 2);
    assert.deepEqual(firefox.ports[1].messages, [{ id: UUID, url: A }]);
  });

  test("'no page' is repeated to a new host", async () => {
    const { firefox, timers } = await started();
    assert.deepEqual(firefox.ports[0].messages, [{ id: UUID, url: null }]);
    firefox.ports[0].hostExits();
    await timers.advance(RECONNECT_DELAY_MS);
    assert.deepEqual(firefox.ports[1].messages, [{ id: UUID, url: null }]);
  });

  test("a missing host is tried again only every few seconds", async () => {
    const { firefox, timers } = await started({ hostInstalled: false }, async (f) => {
      await f.focus(f.openWindow([A]).id);
    });
    await timers.advance(4 * RECONNECT_DELAY_MS);
    assert.ok(firefox.ports.length <= 5, `${firefox.ports.length} tries`);
    firefox.hostInstalled = true;
    await timers.advance(RECONNECT_DELAY_MS);
    assert.equal(firefox.ports.at(-1).messages.at(-1).url, A);
  });

  test("connectNative throwing is survived", async () => {
    const { firefox, timers } = await started({}, async (f) => {
      await f.focus(f.openWindow([A]).id);
      f.browser.runtime.connectNative = () => {
        throw new Error("No such native application");
      };
    });
    await timers.advance(3 * SEND_INTERVAL_MS);
    assert.equal(firefox.ports.length, 0);
  });

  test("a port that throws on postMessage is dropped and replaced later", async () => {
    const { firefox, timers } = await started({}, async (f) => {
      await f.focus(f.openWindow([A]).id);
    });
    firefox.ports[0].disconnected = true; // broken without telling
    await timers.advance(SEND_INTERVAL_MS);
    await timers.advance(RECONNECT_DELAY_MS);
    assert.equal(firefox.ports.length, 2);
    assert.equal(firefox.ports[1].messages.at(-1).url, A);
  });

  test("stop ends the interval and the connection", async () => {
    const { firefox, timers, tracker } = await started({}, async (f) => {
      await f.focus(f.openWindow([A]).id);
    });
    tracker.stop();
    drain(firefox);
    await timers.advance(3 * SEND_INTERVAL_MS);
    assert.deepEqual(drain(firefox), []);
    assert.ok(firefox.ports[0].disconnected);
  });
});
