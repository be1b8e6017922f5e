#pragma once
// Why an exchange with the instrument failed, as the link tells it: what a
// front end needs to say the right thing to the operator ("no answer" is
// another message than "garbled data"), and nothing of the protocol.

enum class LinkFailure {
  none,
  // Not one byte came back during the exchange (for a log transfer: since
  // the last line acknowledged): a cable, power or baud-rate matter.
  silence,
  // Bytes came back, but not what the protocol expects, until the budgets
  // ran out.
  garbled,
  // An order whose echo was confirmed, so that the instrument may have
  // carried it out, but whose closing acknowledgement never came.
  unconfirmed,
  // The platform reported a failure of the port (a USB adapter unplugged).
  port_failed,
  // The caller's cancel token ended the exchange.
  cancelled,
  // The command text was too long to send; nothing went out.
  not_sent,
};
