#pragma once
// The benchmarks' export file seam over POSIX files (posix_files.cpp).

#include <string>

// The path that the save dialog answers with; empty: the dialog is cancelled.
void posix_files_set_export_path(const std::string& path);
