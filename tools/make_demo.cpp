// Writes the bundled demo tunes: a Standard MIDI File, and short pieces
// rendered by a small additive synthesiser to 16-bit PCM WAV, which
// tools/regenerate-assets.sh encodes and tags with ffmpeg.
//
//   velmora_make_demo midi <out.mid>
//   velmora_make_demo wav <waltz|rain|chime> <out.wav> [sample rate]

#include <QByteArray>
#include <QFile>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// ---- Scores ----------------------------------------------------------------

struct Note {
    int key;      // MIDI key number; 0 is a rest
    double beats; // length in beats
};

enum Key : int {
    A2 = 45, C3 = 48, D3 = 50, E3 = 52, F3 = 53, G3 = 55, A3 = 57, B3 = 59,
    C4 = 60, D4 = 62, E4 = 64, F4 = 65, Fs4 = 66, G4 = 67, A4 = 69, B4 = 71,
    C5 = 72, D5 = 74, E5 = 76, F5 = 77, Fs5 = 78, G5 = 79, A5 = 81, B5 = 83,
    C6 = 84, D6 = 86, E6 = 88, G6 = 91,
};

struct Chord {
    int root;              // bass key
    std::vector<int> keys; // chord tones
    double beats;
};

struct Score {
    double bpm;
    int beatsPerBar;
    std::vector<Note> melody;
    std::vector<Chord> chords;
};

Chord chord(int root, std::vector<int> keys, double beats) { return {root, std::move(keys), beats}; }

// "Velmora Demo Tune": a bright tune over G, D, Em, C.
Score demoTune()
{
    Score s{112, 4, {}, {}};
    s.melody = {
        {B4, 1}, {D5, 1}, {G5, 1.5}, {Fs5, 0.5}, {Fs5, 1}, {E5, 1}, {D5, 2},
        {E5, 1}, {G5, 1}, {B5, 1.5}, {A5, 0.5},  {G5, 2},  {E5, 2},
        {D5, 1}, {G5, 1}, {B5, 1.5}, {A5, 0.5},  {A5, 1},  {Fs5, 1}, {D5, 2},
        {E5, 1}, {Fs5, 1}, {G5, 1}, {B5, 1},     {C6, 2},  {B5, 1},  {A5, 1},
        {B4, 1}, {D5, 1}, {G5, 1.5}, {Fs5, 0.5}, {Fs5, 1}, {E5, 1}, {D5, 2},
        {E5, 1}, {G5, 1}, {B5, 1.5}, {A5, 0.5},  {G5, 2},  {E5, 2},
        {B5, 1}, {D6, 1}, {B5, 1}, {G5, 1},      {A5, 2},  {Fs5, 2},
        {E5, 1}, {G5, 1}, {C6, 1}, {E5, 1},      {D5, 2},  {Fs5, 2},
        {G5, 4},
    };
    const Chord g = chord(G3, {G4, B4, D5}, 4), d = chord(D3, {Fs4, A4, D5}, 4),
                e = chord(E3, {E4, G4, B4}, 4), c = chord(C3, {E4, G4, C5}, 4);
    // Three rounds of G, D, Em, C; the last turns to C, D and home to G.
    for (int round = 0; round < 4; ++round)
        for (Chord ch : {g, d, round == 3 ? c : e, round == 3 ? d : c}) {
            ch.beats = 4;
            s.chords.push_back(ch);
        }
    s.chords.push_back(chord(G3, {G4, B4, D5}, 4));
    return s;
}

// "夜明けのワルツ": a waltz in C.
Score waltz()
{
    Score s{138, 3, {}, {}};
    s.melody = {
        {E5, 2}, {G5, 1},  {A5, 2}, {E5, 1},  {F5, 1}, {A5, 1}, {C6, 1}, {B5, 2}, {G5, 1},
        {C6, 2}, {G5, 1},  {A5, 1}, {G5, 1},  {E5, 1}, {F5, 1}, {D5, 1}, {B4, 1}, {C5, 3},
        {A5, 2}, {C6, 1},  {B5, 2}, {D6, 1},  {G5, 2}, {E5, 1}, {A5, 2}, {C6, 1},
        {C6, 1}, {A5, 1},  {F5, 1}, {E5, 1},  {G5, 1}, {C6, 1}, {D6, 2}, {B5, 1}, {C6, 3},
    };
    s.chords = {
        chord(C3, {E4, G4, C5}, 3), chord(A2, {E4, A4, C5}, 3), chord(F3, {F4, A4, C5}, 3),
        chord(G3, {D4, G4, B4}, 3), chord(C3, {E4, G4, C5}, 3), chord(A2, {E4, A4, C5}, 3),
        chord(D3, {D4, F4, A4}, 1.5), chord(G3, {D4, G4, B4}, 1.5), chord(C3, {E4, G4, C5}, 3),
        chord(F3, {F4, A4, C5}, 3), chord(G3, {D4, G4, B4}, 3), chord(E3, {E4, G4, B4}, 3),
        chord(A2, {E4, A4, C5}, 3), chord(F3, {F4, A4, C5}, 3), chord(C3, {E4, G4, C5}, 3),
        chord(G3, {D4, G4, B4}, 3), chord(C3, {E4, G4, C5}, 3),
    };
    return s;
}

// "雨上がりの散歩道": a quiet walk in A minor over broken chords.
Score rain()
{
    Score s{92, 4, {}, {}};
    s.melody = {
        {E5, 1}, {A5, 1}, {C6, 1}, {B5, 1}, {A5, 2}, {F5, 2},
        {G5, 1}, {E5, 1}, {G5, 1}, {C6, 1}, {B5, 3}, {0, 1},
        {A5, 1}, {C6, 1}, {E6, 1}, {D6, 1}, {C6, 2}, {A5, 2},
        {B5, 1}, {D6, 1}, {G5, 1}, {B5, 1}, {A5, 4},
    };
    s.chords = {
        chord(A2, {A3, E4, A4, C5}, 4), chord(F3, {F3, C4, F4, A4}, 4),
        chord(C3, {C4, G4, C5, E5}, 4), chord(G3, {G3, D4, G4, B4}, 4),
        chord(A2, {A3, E4, A4, C5}, 4), chord(F3, {F3, C4, F4, A4}, 4),
        chord(G3, {G3, D4, G4, B4}, 4), chord(A2, {A3, E4, A4, C5}, 4),
    };
    return s;
}

// "Little Chime": a bell figure rising and settling on C.
Score chime()
{
    Score s{120, 4, {}, {}};
    s.melody = {
        {C5, 0.5}, {E5, 0.5}, {G5, 0.5}, {C6, 0.5}, {E6, 0.5}, {C6, 0.5}, {G5, 0.5}, {E5, 0.5},
        {F5, 0.5}, {A5, 0.5}, {C6, 0.5}, {A5, 0.5}, {G5, 0.5}, {B5, 0.5}, {D6, 0.5}, {G6, 0.5},
        {E6, 1},   {C6, 1},   {C6, 2},
    };
    s.chords = {chord(C3, {C4, E4, G4}, 4), chord(F3, {F4, A4, C5}, 2), chord(G3, {D4, G4, B4}, 2),
                chord(C3, {C4, E4, G4, C5}, 4)};
    return s;
}

// ---- Standard MIDI File ----------------------------------------------------

struct MidiEvent {
    long tick;
    int order; // at one tick: meta first, then note-offs, then note-ons
    QByteArray bytes;
};

void putVarLen(QByteArray &out, quint32 value)
{
    quint8 buffer[5];
    int n = 0;
    buffer[n++] = value & 0x7f;
    while ((value >>= 7) != 0)
        buffer[n++] = quint8(0x80 | (value & 0x7f));
    while (n > 0)
        out.append(char(buffer[--n]));
}

void putBigEndian(QByteArray &out, quint32 value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.append(char((value >> (8 * i)) & 0xff));
}

QByteArray meta(int type, const QByteArray &data)
{
    QByteArray b;
    b.append(char(0xff));
    b.append(char(type));
    putVarLen(b, quint32(data.size()));
    b.append(data);
    return b;
}

QByteArray channelMessage(int status, int channel, int a, int b = -1)
{
    QByteArray m;
    m.append(char(status | channel));
    m.append(char(a));
    if (b >= 0)
        m.append(char(b));
    return m;
}

QByteArray writeMidi(const Score &score, const QByteArray &title)
{
    constexpr int kTicksPerBeat = 480;
    std::vector<MidiEvent> events;
    const quint32 microsPerBeat = quint32(std::lround(60'000'000.0 / score.bpm));
    QByteArray tempo;
    putBigEndian(tempo, microsPerBeat, 3);
    events.push_back({0, 0, meta(0x03, title)});
    events.push_back({0, 0, meta(0x51, tempo)});
    events.push_back({0, 0, meta(0x58, QByteArray("\x04\x02\x18\x08", 4))});
    events.push_back({0, 1, channelMessage(0xc0, 0, 0)});  // melody: acoustic grand piano
    events.push_back({0, 1, channelMessage(0xc0, 1, 33)}); // bass: fingered electric bass
    events.push_back({0, 1, channelMessage(0xc0, 2, 4)});  // chords: electric piano
    events.push_back({0, 1, channelMessage(0xb0, 2, 7, 78)});
    events.push_back({0, 1, channelMessage(0xb0, 1, 7, 100)});
    events.push_back({0, 1, channelMessage(0xb0, 0, 7, 115)});
    events.push_back({0, 1, channelMessage(0xb0, 0, 91, 40)}); // a little reverb
    events.push_back({0, 1, channelMessage(0xb0, 2, 91, 50)});

    auto note = [&](int channel, int key, double startBeat, double beats, int velocity) {
        const long on = std::lround(startBeat * kTicksPerBeat);
        const long off = std::lround((startBeat + beats) * kTicksPerBeat) - 10;
        events.push_back({on, 3, channelMessage(0x90, channel, key, velocity)});
        events.push_back({off, 2, channelMessage(0x80, channel, key, 64)});
    };

    double t = 0;
    for (const Note &n : score.melody) {
        if (n.key != 0)
            note(0, n.key, t, n.beats, 104);
        t += n.beats;
    }
    t = 0;
    for (const Chord &c : score.chords) {
        for (int k : c.keys)
            note(2, k, t, c.beats, 60);
        // Bass on every beat: root, root, fifth, root.
        for (int beat = 0; beat < int(c.beats); ++beat)
            note(1, c.root - 12 + (beat == 2 ? 7 : 0), t + beat, 0.9, beat == 0 ? 92 : 74);
        t += c.beats;
    }
    const long end = std::lround(t * kTicksPerBeat) + kTicksPerBeat;

    std::stable_sort(events.begin(), events.end(), [](const MidiEvent &a, const MidiEvent &b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    QByteArray track;
    long last = 0;
    for (const MidiEvent &e : events) {
        putVarLen(track, quint32(e.tick - last));
        track.append(e.bytes);
        last = e.tick;
    }
    putVarLen(track, quint32(end - last));
    track.append(meta(0x2f, {}));

    QByteArray smf("MThd");
    putBigEndian(smf, 6, 4);
    putBigEndian(smf, 0, 2); // format 0: one track, several channels
    putBigEndian(smf, 1, 2);
    putBigEndian(smf, kTicksPerBeat, 2);
    smf.append("MTrk");
    putBigEndian(smf, quint32(track.size()), 4);
    smf.append(track);
    return smf;
}

// ---- Synthesiser -----------------------------------------------------------

struct Timbre {
    std::vector<double> ratios; // partial frequency ratios
    std::vector<double> gains;
    double decay;   // per second, of the first partial; higher partials fade faster
    double attack;  // seconds
    double release; // seconds after the note's end
};

const Timbre kPiano{{1, 2, 3, 4, 6}, {1.0, 0.42, 0.18, 0.1, 0.04}, 1.6, 0.004, 0.12};
const Timbre kPad{{1, 2, 3}, {1.0, 0.3, 0.1}, 0.25, 0.06, 0.35};
const Timbre kPluck{{1, 2, 3, 5}, {1.0, 0.5, 0.22, 0.08}, 3.2, 0.002, 0.08};
const Timbre kBell{{1, 2.76, 5.4, 8.93}, {1.0, 0.5, 0.25, 0.12}, 1.1, 0.001, 0.6};
const Timbre kBass{{1, 2, 3}, {1.0, 0.35, 0.12}, 1.2, 0.006, 0.08};

double frequency(int key) { return 440.0 * std::pow(2.0, (key - 69) / 12.0); }

void render(std::vector<double> &out, int rate, const Timbre &timbre, int key, double start,
            double length, double gain)
{
    const double f = frequency(key);
    const std::size_t first = std::size_t(start * rate);
    const std::size_t count = std::size_t((length + timbre.release) * rate);
    if (out.size() < first + count)
        out.resize(first + count, 0.0);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = double(i) / rate;
        double env = t < timbre.attack ? t / timbre.attack : 1.0;
        if (t > length)
            env *= std::max(0.0, 1.0 - (t - length) / timbre.release);
        double v = 0;
        for (std::size_t k = 0; k < timbre.ratios.size(); ++k) {
            const double fk = f * timbre.ratios[k];
            if (fk > rate * 0.45)
                continue;
            v += timbre.gains[k] * std::exp(-t * timbre.decay * (1.0 + 0.8 * double(k))) *
                 std::sin(2 * M_PI * fk * t);
        }
        out[first + i] += gain * env * v;
    }
}

std::vector<double> synthesise(const Score &score, int rate, const Timbre &lead, const Timbre &comp,
                               bool arpeggiate)
{
    std::vector<double> mix;
    const double spb = 60.0 / score.bpm;
    double t = 0;
    for (const Note &n : score.melody) {
        if (n.key != 0)
            render(mix, rate, lead, n.key, t * spb, n.beats * spb * 0.95, 0.32);
        t += n.beats;
    }
    t = 0;
    for (const Chord &c : score.chords) {
        render(mix, rate, kBass, c.root - 12, t * spb, c.beats * spb * 0.9, 0.3);
        if (arpeggiate) {
            // Broken chord in eighths, up and back down.
            const int steps = int(c.beats * 2);
            for (int i = 0; i < steps; ++i) {
                const int n = int(c.keys.size());
                const int idx = (i / n) % 2 == 0 ? i % n : n - 1 - i % n;
                render(mix, rate, comp, c.keys[std::size_t(idx)], (t + i * 0.5) * spb, 0.5 * spb,
                       0.12);
            }
        } else if (score.beatsPerBar == 3 && c.beats == 3) {
            // Waltz: chord on beats two and three.
            for (int beat = 1; beat < 3; ++beat)
                for (int k : c.keys)
                    render(mix, rate, comp, k, (t + beat) * spb, 0.8 * spb, 0.07);
        } else {
            for (int k : c.keys)
                render(mix, rate, comp, k, t * spb, c.beats * spb, 0.06);
        }
        t += c.beats;
    }

    // A soft echo for some room, then a fade at the end.
    const std::size_t delay = std::size_t(0.27 * rate);
    mix.resize(mix.size() + std::size_t(0.8 * rate), 0.0);
    for (std::size_t i = delay; i < mix.size(); ++i)
        mix[i] += 0.22 * mix[i - delay];
    const std::size_t fade = std::size_t(0.6 * rate);
    for (std::size_t i = 0; i < fade && i < mix.size(); ++i)
        mix[mix.size() - 1 - i] *= double(i) / double(fade);
    double peak = 1e-9;
    for (double v : mix)
        peak = std::max(peak, std::abs(v));
    for (double &v : mix)
        v *= 0.85 / peak;
    return mix;
}

QByteArray wavFile(const std::vector<double> &samples, int rate)
{
    auto le = [](QByteArray &b, quint32 v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            b.append(char((v >> (8 * i)) & 0xff));
    };
    const quint32 dataBytes = quint32(samples.size() * 2);
    QByteArray w("RIFF");
    le(w, 36 + dataBytes, 4);
    w.append("WAVEfmt ");
    le(w, 16, 4);
    le(w, 1, 2); // PCM
    le(w, 1, 2); // mono
    le(w, quint32(rate), 4);
    le(w, quint32(rate * 2), 4);
    le(w, 2, 2);
    le(w, 16, 2);
    w.append("data");
    le(w, dataBytes, 4);
    for (double v : samples)
        le(w, quint32(quint16(qint16(std::lround(std::clamp(v, -1.0, 1.0) * 32767)))), 2);
    return w;
}

bool save(const QString &path, const QByteArray &data)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(data) != data.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

int usage()
{
    std::fprintf(stderr, "usage: velmora_make_demo midi <out.mid>\n"
                         "       velmora_make_demo wav <waltz|rain|chime> <out.wav> [rate]\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "midi") == 0)
        return save(QString::fromLocal8Bit(argv[2]),
                    writeMidi(demoTune(), QByteArray("Velmora Demo Tune")))
                   ? 0
                   : 1;
    if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "wav") == 0) {
        const int rate = argc == 5 ? std::atoi(argv[4]) : 44100;
        if (rate < 8000 || rate > 96000)
            return usage();
        const QByteArray piece(argv[2]);
        std::vector<double> samples;
        if (piece == "waltz")
            samples = synthesise(waltz(), rate, kPiano, kPad, false);
        else if (piece == "rain")
            samples = synthesise(rain(), rate, kPiano, kPluck, true);
        else if (piece == "chime")
            samples = synthesise(chime(), rate, kBell, kPad, false);
        else
            return usage();
        return save(QString::fromLocal8Bit(argv[3]), wavFile(samples, rate)) ? 0 : 1;
    }
    return usage();
}
