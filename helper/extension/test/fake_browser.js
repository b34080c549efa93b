"use strict";
// A small stand-in for Firefox's WebExtension API, as much as the tracker uses, with user
// actions that fire the events the way Firefox does: an extension that may not see
// private windows gets no focus event for them and does not find them in windows.getAll.

class FakeEvent {
  constructor() {
    this.listeners = [];
  }
  addListener(fn) {
    this.listeners.push(fn);
  }
  removeListener(fn) {
    this.listeners = this.listeners.filter((l) => l !== fn);
  }
  fire(...args) {
    return Promise.all(this.listeners.map((l) => l(...args)));
  }
}

class FakePort {
  constructor(name) {
    this.name = name;
    this.messages = [];
    this.onDisconnect = new FakeEvent();
    this.disconnected = false;
  }
  postMessage(message) {
    if (this.disconnected) {
      throw new Error("Attempt to postMessage on disconnected port");
    }
    // Like the real port, the message is copied as JSON.
    this.messages.push(JSON.parse(JSON.stringify(message)));
  }
  disconnect() {
    this.disconnected = true;
  }
  // The host ends.
  hostExits() {
    this.disconnected = true;
    this.onDisconnect.fire(this);
  }
}

const UUID = "0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d";

class FakeFirefox {
  constructor({ incognitoAllowed = false, hostInstalled = true } = {}) {
    this.incognitoAllowed = incognitoAllowed;
    this.hostInstalled = hostInstalled;
    this.windows = [];
    this.nextId = 1;
    this.ports = [];
    this.focusedId = null; // null: another program has the focus
    this.lastFocusEvent = undefined;
    const event = () => new FakeEvent();
    const self = this;
    this.browser = {
      runtime: {
        getURL: (path) => `moz-extension://${UUID}${path}`,
        connectNative(name) {
          if (!self.hostInstalled) {
            // Firefox returns a port that disconnects at once when the host is missing.
            const port = new FakePort(name);
            self.ports.push(port);
            Promise.resolve().then(() => port.hostExits());
            return port;
          }
          const port = new FakePort(name);
          self.ports.push(port);
          return port;
        },
      },
      extension: {
        isAllowedIncognitoAccess: async () => self.incognitoAllowed,
      },
      windows: {
        WINDOW_ID_NONE: -1,
        onFocusChanged: event(),
        onRemoved: event(),
        onCreated: event(),
        async getAll(options) {
          return self.windows
            .filter((w) => self.visible(w))
            .map((w) => self.describe(w, options && options.populate));
        },
        async getLastFocused() {
          const visible = self.windows.filter((x) => self.visible(x));
          const w = visible.find((x) => x.id === self.focusedId) || visible.at(-1);
          if (!w) {
            throw new Error("No window");
          }
          return self.describe(w, false);
        },
      },
      tabs: {
        onActivated: event(),
        onUpdated: event(),
        onRemoved: event(),
        onAttached: event(),
        onDetached: event(),
      },
    };
  }

  visible(w) {
    return !w.incognito || this.incognitoAllowed;
  }

  describe(w, populate) {
    const out = {
      id: w.id,
      focused: this.focusedId === w.id && w.state !== "minimized",
      state: w.state,
      incognito: w.incognito,
      type: "normal",
    };
    if (populate) {
      out.tabs = w.tabs.map((t) => ({ id: t.id, windowId: w.id, active: t.active, url: t.url }));
    }
    return out;
  }

  // --- what the user does ---

  openWindow(urls, { incognito = false } = {}) {
    const w = { id: this.nextId++, state: "normal", incognito, tabs: [] };
    for (const url of urls) {
      w.tabs.push({ id: this.nextId++, active: false, url });
    }
    if (w.tabs.length > 0) {
      w.tabs[0].active = true;
    }
    this.windows.push(w);
    if (this.visible(w)) {
      this.browser.windows.onCreated.fire(this.describe(w, false));
    }
    return w;
  }

  window(id) {
    return this.windows.find((w) => w.id === id);
  }

  // Firefox fires onFocusChanged only with windows the extension may see, and only when
  // the id it would report changes.
  fireFocus() {
    let id = -1;
    const w = this.focusedId === null ? null : this.window(this.focusedId);
    if (w) {
      if (!this.visible(w)) {
        return Promise.resolve();
      }
      id = w.id;
    }
    if (id === this.lastFocusEvent) {
      return Promise.resolve();
    }
    this.lastFocusEvent = id;
    return this.browser.windows.onFocusChanged.fire(id);
  }

  focus(id) {
    const w = this.window(id);
    w.state = w.state === "minimized" ? "normal" : w.state;
    this.focusedId = id;
    return this.fireFocus();
  }

  // Another program takes the focus.
  switchToOtherProgram() {
    this.focusedId = null;
    return this.fireFocus();
  }

  minimize(id) {
    this.window(id).state = "minimized";
    if (this.focusedId === id) {
      this.focusedId = null;
    }
    return this.fireFocus();
  }

  closeWindow(id) {
    const w = this.window(id);
    this.windows = this.windows.filter((x) => x !== w);
    if (this.focusedId === id) {
      this.focusedId = null;
    }
    const events = [];
    if (this.visible(w)) {
      events.push(this.browser.windows.onRemoved.fire(id));
    }
    events.push(this.fireFocus());
    return Promise.all(events);
  }

  activateTab(windowId, index) {
    const w = this.window(windowId);
    w.tabs.forEach((t, i) => (t.active = i === index));
    if (!this.visible(w)) {
      return Promise.resolve();
    }
    return this.browser.tabs.onActivated.fire({ tabId: w.tabs[index].id, windowId });
  }

  navigate(windowId, index, url) {
    const w = this.window(windowId);
    const tab = w.tabs[index];
    tab.url = url;
    if (!this.visible(w)) {
      return Promise.resolve();
    }
    return this.browser.tabs.onUpdated.fire(tab.id, { url }, { id: tab.id, url });
  }

  // Every message the tracker sent, over all connections.
  messages() {
    return this.ports.flatMap((p) => p.messages);
  }
  urls() {
    return this.messages().map((m) => m.url);
  }
}

// setInterval and a clock that move only when told.
class FakeTimers {
  constructor() {
    this.time = 1000;
    this.intervals = new Map();
    this.nextHandle = 1;
  }
  setInterval = (fn, ms) => {
    const handle = this.nextHandle++;
    this.intervals.set(handle, { fn, ms, due: this.time + ms });
    return handle;
  };
  clearInterval = (handle) => {
    this.intervals.delete(handle);
  };
  now = () => this.time;
  // Moves the clock, firing intervals in order and letting their promises settle.
  async advance(ms) {
    const end = this.time + ms;
    for (;;) {
      let next = null;
      for (const timer of this.intervals.values()) {
        if (timer.due <= end && (next === null || timer.due < next.due)) {
          next = timer;
        }
      }
      if (next === null) {
        break;
      }
      this.time = next.due;
      next.due += next.ms;
      await next.fn();
      await settle();
    }
    this.time = end;
  }
}

// Lets every pending promise callback run.
function settle() {
  return new Promise((resolve) => setImmediate(resolve));
}

module.exports = { FakeFirefox, FakeTimers, FakePort, UUID, settle };
