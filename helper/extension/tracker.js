/*
 * The extension's logic: which page the user is looking at, and telling the native host
 * (ymthelp.exe) about it. It touches the browser only through the `browser` object and
 * the timers it is given, so Node's test runner can drive it with fakes.
 *
 * Messages to the host, one per frame:
 *   {"id": <identity>, "url": "<address>"}  a page is shown; sent on every change and
 *                                           every SEND_INTERVAL_MS while it is shown
 *   {"id": <identity>, "url": null}         no page is shown; sent once when it starts
 * The identity is the host part of the extension's moz-extension:// addresses: Firefox
 * draws it at random for each profile, and the host finds the profile folder by it.
 */
(function (root, factory) {
  const api = factory();
  if (typeof module === "object" && module.exports) {
    module.exports = api;
  } else {
    root.YmtTracker = api;
  }
})(typeof self !== "undefined" ? self : this, function () {
  "use strict";

  const HOST_NAME = "ymthelp";
  // The program reads the file once a second and counts a second only when the marker
  // changed since its last read; writing twice a second keeps a late timer on either side
  // from ever showing it the same marker twice.
  const SEND_INTERVAL_MS = 500;
  // After the host ends or cannot be started (not installed yet), try again this late.
  const RECONNECT_DELAY_MS = 5000;
  const WINDOW_ID_NONE = -1;

  /*
   * The address that counts, or null when no page is shown.
   *
   * The window is the focused one. When Firefox as a whole is in the background (the last
   * focus event said WINDOW_ID_NONE), it is the window that had the focus last: a browser
   * window behind another program's window is still being read. No page is shown when
   * that window is minimised or gone, when the focus sits on a window the extension may
   * not see (Firefox sends no focus event for a private window then, and lists it
   * nowhere), or when a private window's page may not be reported.
   */
  function pickAddress(windows, focus, incognitoAllowed) {
    let win = windows.find((w) => w.focused);
    if (!win && focus.inBackground && focus.lastWindowId !== null) {
      win = windows.find((w) => w.id === focus.lastWindowId);
    }
    if (!win || win.state === "minimized") {
      return null;
    }
    if (win.incognito && !incognitoAllowed) {
      return null;
    }
    const tab = (win.tabs || []).find((t) => t.active);
    if (!tab || typeof tab.url !== "string" || tab.url === "") {
      return null;
    }
    return tab.url;
  }

  function identityOf(browser) {
    return new URL(browser.runtime.getURL("/")).host;
  }

  /*
   * timers: {setInterval, clearInterval, now} (now: a monotonic clock in milliseconds).
   */
  function createTracker(browser, timers) {
    const identity = identityOf(browser);
    const focus = { lastWindowId: null, inBackground: true };
    let incognitoAllowed = false;
    let port = null;
    let reconnectAt = 0;
    // What the host was told last on this connection: undefined (nothing yet), null (no
    // page) or the address.
    let lastSent;
    let evaluation = 0;
    let interval = null;
    const stats = { connects: 0, evaluations: 0 };

    function dropPort(which) {
      if (port !== which) {
        return;
      }
      port = null;
      lastSent = undefined;
      reconnectAt = timers.now() + RECONNECT_DELAY_MS;
    }

    function ensurePort() {
      if (port) {
        return true;
      }
      if (timers.now() < reconnectAt) {
        return false;
      }
      let p;
      try {
        p = browser.runtime.connectNative(HOST_NAME);
      } catch (e) {
        reconnectAt = timers.now() + RECONNECT_DELAY_MS;
        return false;
      }
      port = p;
      lastSent = undefined;
      stats.connects += 1;
      p.onDisconnect.addListener(() => dropPort(p));
      return true;
    }

    function send(url) {
      if (url === null && lastSent === null) {
        return; // "no page" is said once
      }
      if (!ensurePort()) {
        return;
      }
      const p = port;
      try {
        p.postMessage({ id: identity, url });
        lastSent = url;
      } catch (e) {
        dropPort(p);
      }
    }

    async function evaluate() {
      const mine = ++evaluation;
      stats.evaluations += 1;
      let url = null;
      try {
        const windows = await browser.windows.getAll({ populate: true, windowTypes: ["normal"] });
        url = pickAddress(windows, focus, incognitoAllowed);
      } catch (e) {
        url = null;
      }
      if (mine !== evaluation) {
        return; // a later look has overtaken this one; its answer is the newer
      }
      send(url);
    }

    function onFocusChanged(windowId) {
      if (windowId === WINDOW_ID_NONE) {
        focus.inBackground = true;
      } else {
        focus.lastWindowId = windowId;
        focus.inBackground = false;
      }
      return evaluate();
    }

    function onWindowRemoved(windowId) {
      if (focus.lastWindowId === windowId) {
        focus.lastWindowId = null;
      }
      return evaluate();
    }

    function onTabUpdated(tabId, changeInfo) {
      if (changeInfo && changeInfo.url !== undefined) {
        return evaluate();
      }
      return Promise.resolve();
    }

    const changed = () => evaluate();

    async function start() {
      browser.windows.onFocusChanged.addListener(onFocusChanged);
      browser.windows.onRemoved.addListener(onWindowRemoved);
      browser.windows.onCreated.addListener(changed);
      browser.tabs.onActivated.addListener(changed);
      browser.tabs.onUpdated.addListener(onTabUpdated);
      browser.tabs.onRemoved.addListener(changed);
      browser.tabs.onAttached.addListener(changed);
      browser.tabs.onDetached.addListener(changed);
      interval = timers.setInterval(changed, SEND_INTERVAL_MS);
      try {
        incognitoAllowed = (await browser.extension.isAllowedIncognitoAccess()) === true;
      } catch (e) {
        incognitoAllowed = false;
      }
      // Until a focus event arrives: a focused window is what one would have said; with
      // none, Firefox is taken to be in the background, behind its last focused window.
      try {
        const last = await browser.windows.getLastFocused();
        if (last && focus.lastWindowId === null) {
          focus.lastWindowId = last.id;
          if (last.focused) {
            focus.inBackground = false;
          }
        }
      } catch (e) {
        // no window yet
      }
      await evaluate();
    }

    function stop() {
      if (interval !== null) {
        timers.clearInterval(interval);
        interval = null;
      }
      if (port) {
        const p = port;
        port = null;
        try {
          p.disconnect();
        } catch (e) {
          // already gone
        }
      }
    }

    return { start, stop, evaluate, identity, stats, focus };
  }

  return {
    HOST_NAME,
    SEND_INTERVAL_MS,
    RECONNECT_DELAY_MS,
    WINDOW_ID_NONE,
    pickAddress,
    createTracker,
  };
});
