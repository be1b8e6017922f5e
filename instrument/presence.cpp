#include "instrument/presence.h"

#include "link/instrument_link.h"

bool instrument_answers(Instrument& instrument) {
  const bool answered = instrument.link().attention_answered();
  instrument.note(answered ? LinkFailure::none : LinkFailure::silence);
  return answered;
}
