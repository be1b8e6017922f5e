#pragma once
// Whether an instrument is there: the one attention byte that a docking
// station sends to each of its ports at every look, answered or not within
// one wait of the link time-out (at most 800 ms). Nothing is retried and
// nothing is asked of the instrument; a session that follows starts with
// its own attention byte.

#include "instrument/instrument.h"

bool instrument_answers(Instrument& instrument);
