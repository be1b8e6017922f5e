#pragma once
// Cancelling the exchange in progress: the operator's Cancel during a log
// download, the close box during any operation, or Ctrl-C in the
// command-line program. A request is safe from a signal handler and from
// another thread.
//
// A request makes the serial port's waiting read or write end at once and
// report a failure, as the platform reports a broken line, and makes every
// later read or write fail before it starts. The transaction or transfer in
// progress therefore ends with the failure marker at its next step, without
// retries and without sending anything more. The request stays until
// cleared: the operation runner clears it when an operation starts and when
// it has ended.
//
// Deliberately nothing is sent to the instrument to abandon an exchange: the
// next transaction simply starts with its attention byte.

void link_cancel_request();
void link_cancel_clear();
bool link_cancel_requested();
