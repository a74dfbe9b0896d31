// The park's sounds, one recipe each. A recipe draws every random number from the sequence it
// is given, so the table in makesounds.cpp, which seeds each with a number of its own, decides
// the sound completely.
#pragma once

#include "dsp.h"

// Placed in the world (mono).
Sound tyrannosaurRoar(RandomSequence& random);
Sound triceratopsBellow(RandomSequence& random);
Sound stegocerasCall(RandomSequence& random);
Sound headKnock(RandomSequence& random);
Sound pterosaurScreech(RandomSequence& random);
Sound heavyFootfall(RandomSequence& random);
Sound herdFootfall(RandomSequence& random);

// Beds heard everywhere (stereo), each looping without a seam.
Sound windBed(RandomSequence& random);
Sound insectsBed(RandomSequence& random);
Sound birdsongBed(RandomSequence& random);
