#pragma once
// The files that 719k writes (-o FILE, and the .partial file of a download
// that stopped): a target is checked before anything is sent to the
// instrument, and written whole into a temporary file in its own folder,
// flushed to the disk and only then put in its place in one step. So a
// failed or interrupted command never spoils a good file or leaves one that
// looks complete and is not.
//
// Implemented per platform (output_file_posix.cpp, output_file_win32.cpp):
// the one-step replacement and the system's reasons are the platform's.

#include <string>

// Why no file can be written at path ("no such folder", "is a folder",
// "permission denied", or the system's own words); empty when one can. It
// tries: a temporary file is made in the folder and removed again.
std::string output_path_problem(const std::string& path);

// Writes the bytes as the file at path, replacing what was there only once
// they are all written. False, with the reason in error and path left as it
// was, when they cannot be.
bool write_file_whole(const std::string& path, const std::string& bytes, std::string& error);

// Where a download that stopped part-way leaves what it received.
inline std::string partial_path(const std::string& path) { return path + ".partial"; }
