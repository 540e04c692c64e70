// Browser backend: the audio device on WebAudio, the main thread's half and the audio worklet's.
//
// One AudioContext at the program's rate. The looping ring lives in the program's memory, which
// the worklet cannot see, so the ring's bytes are sent to it ahead of time in play order: at
// the start the whole ring (all of it is mixed before the device starts), then after every
// feeder step everything up to the start of the playing block one lap on, which is how far the
// ring holds what comes next. The worklet plays the bytes in order, each signed 16-bit value s
// as s / 32768, and counts the bytes played: that count is the device's position. Each time it
// moves into another block it says so, and the feeder's step runs. The worklet holds up to a
// ring's length (about two seconds) of sound, so a page busy drawing cannot starve it.
//
// The worklet takes nothing from the ring before its output really reaches the destination: a
// node runs as soon as its processor exists, and its connection, made on the main thread, may
// reach the audio thread render quanta later; what it played meanwhile would be lost. A probe
// fed by the same output, connected in the same breath, sees its input come alive in the
// render quantum in which the audio thread takes the connections up; the ring starts in the
// quantum after.
//
// Where there is no audio worklet, a script processor plays the ring instead (playFromScript).

// The worklet's code: made into a module of its own, from this function's text.
function tarvelonWorkletModule() {
  let linked = false;

  class LinkProbe extends AudioWorkletProcessor {
    process(inputs) {
      if (inputs[0].length === 0) return true;
      linked = true;
      return false;
    }
  }

  class RingPlayer extends AudioWorkletProcessor {
    constructor(options) {
      super();
      this.chunks = [];  // Int16Array pieces of the ring, in play order
      this.head = 0;     // samples of chunks[0] already played
      this.played = 0;   // bytes played since the loop started
      this.blockBytes = 0;
      this.block = -1;
      this.started = false;
      this.stopped = false;
      this.underruns = 0;
      this.reportedUnderruns = 0;
      this.tap = options.processorOptions.tap ? [] : null;
      this.port.onmessage = (event) => {
        const message = event.data;
        if (message.samples) this.chunks.push(message.samples);
        else if (message.blockBytes !== undefined) this.blockBytes = message.blockBytes;
        else if (message.stop) this.stopped = true;
      };
    }

    process(inputs, outputs) {
      if (this.stopped) return false;
      if (!this.started) {
        if (!linked || this.chunks.length === 0) return true;
        this.started = true;
        this.port.postMessage({first: true});
      }
      const left = outputs[0][0];
      const right = outputs[0][1];
      const frames = left.length;
      let done = 0;
      while (done < frames && this.chunks.length > 0) {
        const chunk = this.chunks[0];
        const count = Math.min(frames - done, (chunk.length - this.head) >> 1);
        for (let i = 0, s = this.head; i < count; ++i, s += 2) {
          left[done + i] = chunk[s] / 32768;
          right[done + i] = chunk[s + 1] / 32768;
        }
        if (this.tap) this.tap.push(chunk.slice(this.head, this.head + 2 * count));
        done += count;
        this.head += 2 * count;
        if (this.head >= chunk.length) {
          this.chunks.shift();
          this.head = 0;
        }
      }
      // The rest of the quantum stays silent; the position moves only by what was played.
      if (done < frames) ++this.underruns;
      this.played += done * 4;
      const block = this.blockBytes > 0 ? Math.floor(this.played / this.blockBytes) : this.played;
      if (block !== this.block || this.underruns !== this.reportedUnderruns) {
        this.block = block;
        this.reportedUnderruns = this.underruns;
        const report = {played: this.played};
        if (this.tap) {
          report.tap = this.tap;
          report.underruns = this.underruns;
          this.tap = [];
        }
        this.port.postMessage(report, report.tap ? report.tap.map((piece) => piece.buffer) : []);
      }
      return true;
    }
  }

  registerProcessor('tarvelon-link-probe', LinkProbe);
  registerProcessor('tarvelon-ring', RingPlayer);
}

var TarvelonAudio = {
  offered: null,        // the context the page made for the next open
  moduleLoaded: null,   // the worklet's module loading into it
  context: null,
  node: null,
  probe: null,
  lost: false,
  closing: false,
  ringPointer: 0,
  ringBytes: 0,
  blockBytes: 0,
  scripted: false,  // played by a script processor, not the worklet
  started: false,
  firstHeard: null,  // resolves the wait for the first sound
  sent: 0,      // bytes of the looping ring sent to the worklet since the loop started
  position: 0,  // bytes the worklet has played since the loop started

  // What the worklet played, for the tests (index.html?tap): int16 pieces and the underruns.
  tapPieces: [],
  tapFrames: 0,
  underruns: 0,

  // The page hands over the context it made inside the click that starts the program (where
  // browsers let sound start), at once, so the worklet's module loads while the program sets
  // up its picture.
  prepare(context) {
    this.offered = context;
    this.moduleLoaded = null;
    if (!context || !context.audioWorklet) return;
    // A data: URL, not a blob: one: a page opened from the disk has no origin that a blob
    // could share with its worklet.
    const source = '(' + tarvelonWorkletModule.toString() + ')();';
    this.moduleLoaded = context.audioWorklet.addModule('data:text/javascript;base64,' + btoa(source));
    this.moduleLoaded.catch(() => {});
  },

  async open(rate) {
    // Without a context from the page (or with one of another rate) one is made here.
    let context = this.offered || null;
    this.offered = null;
    try {
      const Context = globalThis.AudioContext || globalThis.webkitAudioContext;
      if (!context || context.sampleRate !== rate) {
        if (context) context.close().catch(() => {});
        context = Context ? new Context({sampleRate: rate}) : null;
        this.prepare(context);
        this.offered = null;
      }
      if (!context) return 0;
      if (context.sampleRate !== rate) throw new Error('no context at ' + rate + ' Hz');
      if (context.state !== 'running') {
        await Promise.race([context.resume(), new Promise((resolve) => setTimeout(resolve, 2000))]);
      }
      if (context.state !== 'running') throw new Error('the audio context does not start');
      if (this.moduleLoaded) await this.moduleLoaded.catch(() => { this.moduleLoaded = null; });
      if (!this.moduleLoaded && !context.createScriptProcessor) throw new Error('neither an audio worklet nor a script processor');
    } catch (error) {
      console.error('tarvelon: no sound: ' + error.message);
      if (context) context.close().catch(() => {});
      return 0;
    }
    this.context = context;
    this.lost = false;
    this.closing = false;
    context.onstatechange = () => {
      if (context.state === 'closed' && !this.closing) this.lost = true;
    };
    return 1;
  },

  play(pointer, bytes) {
    if (!this.context) return 0;
    this.reset();
    this.ringPointer = pointer;
    this.ringBytes = bytes;
    if (!this.moduleLoaded) return this.playFromScript();
    const options = {numberOfInputs: 0, numberOfOutputs: 1, outputChannelCount: [2],
                     processorOptions: {tap: !!Module['tap']}};
    this.node = new AudioWorkletNode(this.context, 'tarvelon-ring', options);
    this.probe = new AudioWorkletNode(this.context, 'tarvelon-link-probe', {numberOfInputs: 1, numberOfOutputs: 0});
    this.node.port.onmessage = (event) => this.heard(event.data);
    this.node.connect(this.context.destination);
    this.node.connect(this.probe);
    this.sendUpTo(bytes);  // the whole ring is mixed before the device starts
    return 1;
  },

  // Where there is no audio worklet (a page not served from a secure origin has none), a
  // script processor reads the ring in place on the main thread, as a device would. The browser
  // calls it from the audio side, in a hidden tab too, and only while it is connected to the
  // destination, so its first buffer is heard.
  playFromScript() {
    this.scripted = true;
    this.started = false;
    this.node = this.context.createScriptProcessor(4096, 0, 2);
    this.node.onaudioprocess = (event) => this.playRing(event.outputBuffer);
    this.node.connect(this.context.destination);
    return 1;
  },

  playRing(buffer) {
    if (!this.node) return;
    if (!this.started) {
      this.started = true;
      this.heardFirst();
    }
    const left = buffer.getChannelData(0);
    const right = buffer.getChannelData(1);
    const tap = Module['tap'] ? new Int16Array(left.length * 2) : null;
    let at = (this.ringPointer >> 1) + (this.position % this.ringBytes >> 1);
    const end = (this.ringPointer + this.ringBytes) >> 1;
    for (let i = 0; i < left.length; ++i) {
      left[i] = HEAP16[at] / 32768;
      right[i] = HEAP16[at + 1] / 32768;
      if (tap) tap.set(HEAP16.subarray(at, at + 2), 2 * i);
      at += 2;
      if (at >= end) at = this.ringPointer >> 1;
    }
    if (tap) this.heard({tap: [tap], underruns: 0});
    this.position += left.length * 4;
    Module['_tarvelon_audio_moved']();
  },

  // The ring's first frame has gone to the destination.
  heardFirst() {
    if (Module['onFirstSound']) Module['onFirstSound']();
    if (this.firstHeard) this.firstHeard();
    this.firstHeard = null;
  },

  // Resolves once the ring's first frame has gone out, or after `milliseconds` whatever happened.
  firstSound(milliseconds) {
    return new Promise((resolve) => {
      this.firstHeard = resolve;
      setTimeout(resolve, milliseconds);
    });
  },

  readAhead(blockBytes) {
    this.blockBytes = blockBytes;
    if (this.node && !this.scripted) this.node.port.postMessage({blockBytes: blockBytes});
  },

  // After a feeder step: every block but the playing one holds what comes next.
  sendAhead() {
    if (!this.node || this.scripted || this.blockBytes === 0) return;
    this.sendUpTo(Math.floor(this.position / this.blockBytes) * this.blockBytes + this.ringBytes);
  },

  sendUpTo(limit) {
    while (this.sent < limit) {
      const offset = this.sent % this.ringBytes;
      const length = Math.min(limit - this.sent, this.ringBytes - offset);
      const start = (this.ringPointer + offset) >> 1;
      const samples = HEAP16.slice(start, start + (length >> 1));
      this.node.port.postMessage({samples: samples}, [samples.buffer]);
      this.sent += length;
    }
  },

  heard(message) {
    if (message.first) {
      this.heardFirst();
      return;
    }
    if (message.tap) {
      for (const piece of message.tap) {
        this.tapPieces.push(piece);
        this.tapFrames += piece.length >> 1;
      }
      this.underruns = message.underruns;
    }
    if (message.played === undefined || !this.node) return;
    this.position = message.played;
    Module['_tarvelon_audio_moved']();
  },

  reset() {
    if (this.node && this.scripted) {
      this.node.onaudioprocess = null;
      this.node.disconnect();
    } else if (this.node) {
      this.node.port.postMessage({stop: true});
      this.node.port.onmessage = null;
      this.node.disconnect();
      this.probe.disconnect();
    }
    this.scripted = false;
    this.node = null;
    this.probe = null;
    this.blockBytes = 0;
    this.sent = 0;
    this.position = 0;
  },

  close() {
    this.reset();
    if (this.context) {
      this.closing = true;
      this.context.close().catch(() => {});
    }
    this.context = null;
  },

  // The tap as the tests read it: frames, underruns and the samples, base64 of little-endian
  // int16 (WebAssembly and every browser are little-endian, so the bytes go as they are).
  tapReport() {
    const bytes = new Uint8Array(this.tapFrames * 4);
    let at = 0;
    for (const piece of this.tapPieces) {
      bytes.set(new Uint8Array(piece.buffer, piece.byteOffset, piece.byteLength), at);
      at += piece.byteLength;
    }
    let text = '';
    for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    return {frames: this.tapFrames, underruns: this.underruns, pcm: btoa(text)};
  },
};

Module['tarvelonTap'] = () => TarvelonAudio.tapReport();
Module['prepareSound'] = (context) => TarvelonAudio.prepare(context);
