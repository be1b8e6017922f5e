#include "app/dialog_connection.h"

#include <memory>

namespace {

struct DialogConnection {
  std::unique_ptr<SerialPort> port;
  std::unique_ptr<Instrument> instrument;
};

DialogConnection connection;
CancelToken cancel;
void (*wait_hook)() = nullptr;

void run_wait_hook() {
  if (wait_hook) wait_hook();
}

}  // namespace

bool open_dialog_connection(const std::string& port_name) {
  SerialPortOpening opening = open_serial_port(port_name, cancel, run_wait_hook);
  if (!opening.port) return false;
  connection.port = std::move(opening.port);
  connection.instrument = std::make_unique<Instrument>(*connection.port);
  return true;
}

void close_dialog_connection() {
  connection.instrument.reset();
  connection.port.reset();
}

bool dialog_connected() { return connection.port != nullptr; }

Instrument& dialog_instrument() { return *connection.instrument; }

void discard_dialog_input() {
  if (connection.port) connection.port->discard_input();
}

CancelToken& dialog_cancel() { return cancel; }

void set_dialog_wait_hook(void (*hook)()) { wait_hook = hook; }
