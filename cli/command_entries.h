#pragma once
// The commands of 719k one by one: what cli/commands.cpp dispatches to. Each
// is implemented in the command file of its group.

#include "cli/commands.h"

int run_ports(const Invocation& invocation, const Streams& streams);
int run_info(const Invocation& invocation, const Streams& streams);
int run_config_get(const Invocation& invocation, const Streams& streams);
int run_config_set(const Invocation& invocation, const Streams& streams);
int run_clock_set(const Invocation& invocation, const Streams& streams);
int run_log_download(const Invocation& invocation, const Streams& streams);
int run_log_erase(const Invocation& invocation, const Streams& streams);
int run_collect(const Invocation& invocation, const Streams& streams);
int run_dock(const Invocation& invocation, const Streams& streams);
int run_archive_list(const Invocation& invocation, const Streams& streams);
int run_archive_readings(const Invocation& invocation, const Streams& streams);
int run_archive_history(const Invocation& invocation, const Streams& streams);
int run_archive_import(const Invocation& invocation, const Streams& streams);
int run_archive_check(const Invocation& invocation, const Streams& streams);
int run_report(const Invocation& invocation, const Streams& streams);
