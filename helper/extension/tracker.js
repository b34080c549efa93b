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

  /*
   * The address that counts, or null when no page is shown.
   *
   * windows: the normal windows the extension may see, with their tabs. lastFocusedId: the
   * id of the most recently focused window, or null when that is a window the extension may
   * not see.
   *
   * The window is the focused one. When none of them has the focus, Firefox is behind
   * another program's window, or a private window the extension may not see has the focus:
   * Firefox reports both alike (onFocusChanged with WINDOW_ID_NONE) and lists no private
   * window. In the first case the window that had the focus last is still being read, as a
   * browser window behind another program is for the other browsers; in the second no page
   * is shown. No page is shown either when that window is minimised or not listed, when a
   * private window's page may not be reported, or when the active tab has no address.
   */
  function pickAddress(windows, lastFocusedId, incognitoAllowed) {
    let win = windows.find((w) => w.focused);
    if (!win && lastFocusedId !== null) {
      win = windows.find((w) => w.id === lastFocusedId);
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

  // The most recently focused window's id; null when it is one the extension may not see
  // (Firefox then refuses to describe it) or there is none.
  async function lastFocusedWindowId(browser) {
    try {
      const win = await browser.windows.getLastFocused();
      return win ? win.id : null;
    } catch (e) {
      return null;
    }
  }

  function identityOf(browser) {
    return new URL(browser.runtime.getURL("/")).host;
  }

  /*
   * timers: {setInterval, clearInterval, now} (now: a monotonic clock in milliseconds).
   */
  function createTracker(browser, timers) {
    const identity = identityOf(browser);
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
        const focused = windows.some((w) => w.focused);
        const lastFocusedId = focused ? null : await lastFocusedWindowId(browser);
        url = pickAddress(windows, lastFocusedId, incognitoAllowed);
      } catch (e) {
        url = null;
      }
      if (mine !== evaluation) {
        return; // a later look has overtaken this one; its answer is the newer
      }
      send(url);
    }

    function onTabUpdated(tabId, changeInfo) {
      if (changeInfo && changeInfo.url !== undefined) {
        return evaluate();
      }
      return Promise.resolve();
    }

    const changed = () => evaluate();

    async function start() {
      browser.windows.onFocusChanged.addListener(changed);
      browser.windows.onRemoved.addListener(changed);
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

    return { start, stop, evaluate, identity, stats };
  }

  return {
    HOST_NAME,
    SEND_INTERVAL_MS,
    RECONNECT_DELAY_MS,
    pickAddress,
    createTracker,
  };
});
