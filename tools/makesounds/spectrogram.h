// Pictures of the generated sounds: time across, frequency up on a logarithmic scale from
// 50 Hz to the Nyquist frequency, loudness as colour from black (-90 dB below full scale)
// through purple and orange to white (full scale). Faint lines mark 100 Hz, 1 kHz and 10 kHz
// (brighter) and 200, 500, 2000 and 5000 Hz; ticks along the bottom mark every tenth of a
// second and, taller, every second.
#pragma once

#include "dsp.h"
#include "pngwriter.h"

// Channels are summed by power.
RgbImage spectrogram(const Sound& sound);
