// Each recipe reads top to bottom as a sound designer would patch it: sources (buzzes, sines,
// noise bands), filters, envelopes, mixing. Levels of parts are relative to a peak of 1, since
// every source below is scaled to that peak before it is filtered or mixed.
#include "recipes.h"

#include <cmath>

namespace
{
// White noise through a band (a larger q is narrower), scaled to a peak of 1.
Signal bandNoise(double length, const Control& centre, double q, RandomSequence& random,
                 Ends ends = Ends::Once)
{
    return normalisedPeak(bandPass(whiteNoise(length, random), centre, q, ends), 1.0);
}

// White noise below `cutoff`, scaled to a peak of 1.
Signal lowNoise(double length, const Control& cutoff, RandomSequence& random,
                Ends ends = Ends::Once)
{
    return normalisedPeak(lowPass(whiteNoise(length, random), cutoff, 0.707, ends), 1.0);
}

// A buzz scaled to a peak of 1.
Signal voice(const Signal& pitch, double tilt)
{
    return normalisedPeak(buzz(pitch, tilt), 1.0);
}

// A wobble's -1 ... 1 stretched onto low ... high.
Signal between(Signal wobble, double low, double high)
{
    for (double& value : wobble)
    {
        value = low + (high - low) * (value + 1.0) / 2.0;
    }
    return wobble;
}

// Driven into soft clipping for grit, set to the level every one-shot shares, and faded over its
// last 10 ms so that no tail is cut off with a click.
Sound finished(const Signal& signal, double drive)
{
    const Signal level = normalisedPeak(signal, 1.0);
    const Signal driven = normalisedPeak(drive > 0.0 ? saturated(level, drive) : level, 0.9);
    const double length = double(driven.size()) / kSampleRate;
    return mono(shaped(driven, Curve{{length - 0.01, 1.0}, {length, 0.0}}));
}

// One honk of the stegoceras: a bright buzz through two narrow formants, quick on and off.
Signal honk(double length, const Curve& pitch, RandomSequence& random)
{
    const Signal buzzing = voice(wobbled(follow(pitch, length), 0.015, 12.0, random), 1.0);
    const Signal low = bandPass(buzzing, 1000.0, 4.0);
    const Signal high = bandPass(buzzing, 2300.0, 5.0);
    const Signal honk = mix({{&buzzing, 0.15}, {&low, 1.0}, {&high, 0.6}});
    return shaped(honk, Curve{{0.0, 0.0}, {0.03, 1.0}, {length - 0.08, 0.7}, {length, 0.0}});
}

// One cricket's chirp: `pulses` tone bursts of 18 ms at `hz`, 40 ms apart.
Signal cricketChirp(double hz, int pulses)
{
    const Signal pulse =
        shaped(sine(0.018, hz), Curve{{0.0, 0.0}, {0.004, 1.0}, {0.012, 0.8}, {0.018, 0.0}});
    Signal chirp = silence(0.04 * pulses);
    for (int k = 0; k < pulses; ++k)
    {
        addAt(chirp, pulse, 0.04 * k, 1.0);
    }
    return chirp;
}

// A clear whistle sliding up, about 2.4 to 3.3 kHz in a fifth of a second.
Signal birdWhistle(RandomSequence& random)
{
    const double start = random.range(2200.0f, 2600.0f);
    const double rise = random.range(600.0f, 1100.0f);
    return shaped(sine(0.22, Curve{{0.0, start}, {0.22, start + rise}}),
                  Curve{{0.0, 0.0}, {0.03, 1.0}, {0.17, 0.8}, {0.22, 0.0}});
}

// A trill: quick notes of 45 ms falling a little each, alternating between two pitches.
Signal birdTrill(RandomSequence& random)
{
    const int notes = 6 + random.next() % 5;
    const double high = random.range(3300.0f, 4000.0f);
    const double low = high - random.range(400.0f, 800.0f);
    Signal trill = silence(0.055 * notes);
    for (int k = 0; k < notes; ++k)
    {
        const double hz = k % 2 == 0 ? high : low;
        const Signal note = shaped(sine(0.045, Curve{{0.0, hz}, {0.045, hz * 0.9}}),
                                   Curve{{0.0, 0.0}, {0.008, 1.0}, {0.03, 0.6}, {0.045, 0.0}});
        addAt(trill, note, 0.055 * k, 1.0);
    }
    return trill;
}

// Two sharp chirps, each a fall from about 4.2 to 2.6 kHz in 60 ms.
Signal birdChirps(RandomSequence& random)
{
    const double top = random.range(3900.0f, 4500.0f);
    const Signal chirp = shaped(sine(0.06, Curve{{0.0, top}, {0.06, top - 1600.0}}),
                                Curve{{0.0, 0.0}, {0.005, 1.0}, {0.06, 0.0}});
    Signal pair = silence(0.2);
    addAt(pair, chirp, 0.0, 1.0);
    addAt(pair, chirp, 0.11, 0.8);
    return pair;
}
} // namespace

Sound tyrannosaurRoar(RandomSequence& random)
{
    const double length = 2.6;
    // The voice: a buzz rising from 48 to 92 Hz, holding, sinking to 38 Hz, wavering by 5 %.
    const Signal pitch = wobbled(follow(Curve{{0.0, 48}, {0.9, 92}, {1.7, 80}, {2.6, 38}}, length),
                                 0.05, 6.0, random);
    // Rasp: the voice's loudness shaken by a fast random flutter, a growl.
    const Signal growl = roughened(voice(pitch, 1.1), wobble(length, 40.0, random), 0.7);
    // A deep chest, and open jaws: two formants that open as the pitch climbs, so that the roar
    // carries on small loudspeakers too.
    const Signal chest = lowPass(growl, 240.0, 1.0);
    const Signal jaws = bandPass(growl, Curve{{0.0, 320}, {0.9, 700}, {2.6, 260}}, 1.4);
    const Signal mouth = bandPass(growl, Curve{{0.0, 900}, {0.9, 1600}, {2.6, 800}}, 2.0);
    // Breath rushing through the throat.
    const Signal breath =
        bandNoise(length, Curve{{0.0, 500}, {0.9, 1300}, {2.6, 420}}, 0.9, random);
    const Signal roar = mix({{&chest, 0.6}, {&jaws, 2.0}, {&mouth, 1.5}, {&breath, 0.2}});
    // Swells in over 0.3 s, full until 1.8 s, dies away by 2.6 s; driven hard for grit.
    return finished(
        shaped(roar, Curve{{0.0, 0.0}, {0.3, 0.8}, {0.9, 1.0}, {1.8, 0.85}, {2.6, 0.0}}), 2.5);
}

Sound triceratopsBellow(RandomSequence& random)
{
    const double length = 1.8;
    // A low, hollow moan: 62 Hz swelling to 78 Hz and sagging to 55 Hz, a slow waver.
    const Signal pitch = wobbled(follow(Curve{{0.0, 62}, {0.4, 78}, {1.3, 72}, {1.8, 55}}, length),
                                 0.02, 4.0, random);
    const Signal moan = voice(pitch, 1.6);
    // A warm body, and the hollow of the frill and snout: a narrow resonance at 420 Hz.
    const Signal body = lowPass(moan, 320.0);
    const Signal hollow = bandPass(moan, 420.0, 3.0);
    const Signal breath = bandNoise(length, 700.0, 1.0, random);
    const Signal bellow = mix({{&body, 1.0}, {&hollow, 1.5}, {&breath, 0.05}});
    return finished(shaped(bellow, Curve{{0.0, 0.0}, {0.15, 1.0}, {1.3, 0.8}, {1.8, 0.0}}), 1.5);
}

Sound stegocerasCall(RandomSequence& random)
{
    // Two honks, the second longer and falling: "hoo-hooo".
    Signal call = silence(0.8);
    addAt(call, honk(0.28, Curve{{0.0, 330}, {0.1, 450}, {0.28, 380}}, random), 0.0, 1.0);
    addAt(call, honk(0.38, Curve{{0.0, 360}, {0.12, 500}, {0.38, 300}}, random), 0.38, 1.0);
    return finished(call, 0.0);
}

Sound headKnock(RandomSequence& random)
{
    const double length = 0.5;
    // Two bony domes meeting: the struck modes of a thick, hollow shell ...
    struct Mode
    {
        double hz, decay, level;
    };
    const Mode modes[] = {
        {210, 0.09, 1.0}, {470, 0.05, 0.6}, {880, 0.03, 0.4}, {1500, 0.015, 0.25}};
    Signal strike = silence(length);
    for (const Mode& mode : modes)
    {
        addAt(strike, ring(length, mode.hz, mode.decay), 0.0, mode.level);
    }
    // ... and the crack of the contact: 8 ms of noise around 2.5 kHz.
    const Signal crack =
        shaped(bandNoise(0.01, 2500.0, 1.0, random), Curve{{0.0, 1.0}, {0.008, 0.0}});
    addAt(strike, crack, 0.0, 0.5);
    // The heads rebound and touch again, softer, 70 ms later.
    Signal knock = silence(length);
    addAt(knock, strike, 0.0, 1.0);
    addAt(knock, strike, 0.07, 0.35);
    return finished(knock, 0.0);
}

Sound pterosaurScreech(RandomSequence& random)
{
    const double length = 1.1;
    // A shrill, harsh cry: 1.3 kHz leaping to 2.1 kHz and tailing off, with a fast flutter.
    const Signal pitch =
        wobbled(follow(Curve{{0.0, 1300}, {0.12, 2100}, {0.7, 1850}, {1.1, 1200}}, length), 0.04,
                30.0, random);
    const Signal cry = roughened(voice(pitch, 0.9), wobble(length, 70.0, random), 0.4);
    const Signal bright = bandPass(cry, 2800.0, 1.2);
    const Signal hiss = bandNoise(length, 3600.0, 2.0, random);
    const Signal screech = mix({{&cry, 0.3}, {&bright, 1.0}, {&hiss, 0.15}});
    return finished(shaped(screech, Curve{{0.0, 0.0}, {0.04, 1.0}, {0.6, 0.8}, {1.1, 0.0}}), 2.0);
}

Sound heavyFootfall(RandomSequence& random)
{
    const double length = 0.9;
    // The ground's thump: a sine dropping from 70 to 38 Hz, dying away over a quarter second.
    const Signal thump =
        shaped(sine(length, Curve{{0.0, 70}, {0.3, 38}}),
               Curve{{0.0, 1.0}, {0.1, 0.6}, {0.25, 0.3}, {0.5, 0.08}, {0.9, 0.0}});
    // The impact: a burst of deep noise, 80 ms.
    const Signal impact = shaped(lowNoise(length, 250.0, random), Curve{{0.0, 1.0}, {0.08, 0.0}});
    // Grit crushed under the foot.
    const Signal crunch =
        shaped(bandNoise(length, 1800.0, 1.0, random), Curve{{0.0, 1.0}, {0.05, 0.4}, {0.15, 0.0}});
    // The rumble that follows.
    const Signal rumble = shaped(lowNoise(length, 80.0, random),
                                 Curve{{0.0, 0.0}, {0.05, 1.0}, {0.4, 0.4}, {0.9, 0.0}});
    const Signal step = mix({{&thump, 1.0}, {&impact, 0.7}, {&crunch, 0.12}, {&rumble, 0.5}});
    return finished(step, 1.5);
}

Sound herdFootfall(RandomSequence& random)
{
    const double length = 0.35;
    // A lighter foot: a thud falling from 140 to 85 Hz, gone in a tenth of a second ...
    const Signal thud = shaped(sine(length, Curve{{0.0, 140}, {0.1, 85}}),
                               Curve{{0.0, 1.0}, {0.04, 0.5}, {0.12, 0.1}, {0.35, 0.0}});
    // ... a short slap of mid noise as the foot lands ...
    const Signal slap =
        shaped(bandNoise(length, 600.0, 0.8, random), Curve{{0.0, 1.0}, {0.04, 0.0}});
    // ... and dry ground crunching.
    const Signal crunch =
        shaped(bandNoise(length, 2600.0, 1.2, random), Curve{{0.0, 1.0}, {0.03, 0.5}, {0.1, 0.0}});
    const Signal step = mix({{&thud, 1.0}, {&slap, 0.45}, {&crunch, 0.2}});
    return finished(step, 0.0);
}

Sound windBed(RandomSequence& random)
{
    const double length = 6.0;
    // Gusts: a slow swell both ears share, between 0.35 and 1.
    const Signal gusts = between(wobble(length, 0.5, random, Ends::Loop), 0.35, 1.0);
    Signal ears[2];
    for (Signal& ear : ears)
    {
        // Air rushing past: a broad band of noise wandering between 250 and 750 Hz ...
        const Signal centre = between(wobble(length, 0.7, random, Ends::Loop), 250.0, 750.0);
        const Signal rush =
            lowPass(bandNoise(length, centre, 0.7, random, Ends::Loop), 900.0, 0.707, Ends::Loop);
        // ... over a low rumble, with a faint whistle wandering about 1.2 kHz.
        const Signal rumble = lowNoise(length, 110.0, random, Ends::Loop);
        const Signal pitch = between(wobble(length, 0.4, random, Ends::Loop), 1000.0, 1500.0);
        const Signal whistle = bandNoise(length, pitch, 9.0, random, Ends::Loop);
        ear = shaped(mix({{&rush, 0.7}, {&rumble, 0.6}, {&whistle, 0.08}}), gusts);
    }
    return normalisedLoudness(stereo(ears[0], ears[1]), 0.12, 0.9);
}

Sound insectsBed(RandomSequence& random)
{
    const double length = 4.0;
    Signal left = silence(length);
    Signal right = silence(length);
    // Six crickets, each at its own pitch, place and loudness, chirping 5 to 9 times a loop.
    for (int i = 0; i < 6; ++i)
    {
        const double hz = random.range(4200.0f, 5600.0f);
        const double pan = random.range(-0.9f, 0.9f);
        const double level = random.range(0.4f, 1.0f);
        const int chirps = 5 + random.next() % 5;
        const int pulses = 2 + random.next() % 3;
        const double start = random.range(0.0f, float(length));
        const Signal chirp = cricketChirp(hz, pulses);
        for (int k = 0; k < chirps; ++k)
        {
            addPanned(left, right, chirp, start + k * length / chirps, level, pan, Ends::Loop);
        }
    }
    // A high hiss in each ear, buzzing 25 times a second, as of many insects far off.
    const Signal buzzing = sine(length, 25.0);
    for (Signal* ear : {&left, &right})
    {
        const Signal hiss = bandNoise(length, 7000.0, 2.0, random, Ends::Loop);
        addAt(*ear, roughened(hiss, buzzing, 0.8), 0.0, 0.12, Ends::Loop);
    }
    return normalisedLoudness(stereo(left, right), 0.1, 0.9);
}

Sound birdsongBed(RandomSequence& random)
{
    const double length = 6.0;
    // The dawn air: a faint wash of mid noise in each ear.
    Signal left = normalisedPeak(bandNoise(length, 2500.0, 0.7, random, Ends::Loop), 0.02);
    Signal right = normalisedPeak(bandNoise(length, 2500.0, 0.7, random, Ends::Loop), 0.02);
    // Fourteen songs of three kinds at random times and places; the farther, the softer and
    // duller.
    for (int i = 0; i < 14; ++i)
    {
        const int kind = random.next() % 3;
        const Signal song = kind == 0   ? birdWhistle(random)
                            : kind == 1 ? birdTrill(random)
                                        : birdChirps(random);
        const double distance = random.range(0.0f, 1.0f);
        const double start = random.range(0.0f, float(length));
        const double pan = random.range(-0.9f, 0.9f);
        addPanned(left, right, lowPass(song, 9000.0 - 5000.0 * distance), start,
                  1.0 - 0.7 * distance, pan, Ends::Loop);
    }
    return normalisedLoudness(stereo(left, right), 0.1, 0.9);
}
