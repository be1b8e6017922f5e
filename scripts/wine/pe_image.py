"""The headers of a PE image (a Windows program or DLL): the machine and
link time stamp of its COFF header, its sections, and its resources, each
resource's bytes and the resource directory's own time stamp.

Shared by scripts/packaging/windows_programs.py (what a release's programs
carry) and scripts/wine/printer.py (the generic PPD inside winspool.drv).
Everything is read with struct from the image's bytes, offsets as the PE
format lays them out.

What it does not do: imports (the MinGW objdump lists them), the version
resource's fields (found by their signatures), or anything that writes.
"""

import struct

_PE_HEADER_POINTER_AT = 0x3C
_PE_SIGNATURE = b"PE\0\0"
_COFF_HEADER_BYTES = 24  # with the signature
_PE32_PLUS_MAGIC = 0x20B
# Where the data directories start in the optional header of a PE32+
# (64-bit) image and of a PE32 one; the resource directory is the third.
_PE32_PLUS_DIRECTORIES_AT = 112
_PE32_DIRECTORIES_AT = 96
_DIRECTORY_ENTRY_BYTES = 8
_RESOURCE_DIRECTORY_INDEX = 2
_SECTION_HEADER_BYTES = 40
# The high bit of a resource entry's name marks a string name, of its target
# a subdirectory.
_HIGH_BIT = 0x80000000


class PeImage:
    """The headers of one image's bytes."""

    def __init__(self, data):
        self.data = data
        header = struct.unpack_from("<I", data, _PE_HEADER_POINTER_AT)[0]
        if data[header:header + 4] != _PE_SIGNATURE:
            raise ValueError("not a PE image")
        self.machine, section_count, self.time_stamp = struct.unpack_from("<HHI", data, header + 4)
        optional_size = struct.unpack_from("<H", data, header + 20)[0]
        optional = header + _COFF_HEADER_BYTES
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + (_PE32_PLUS_DIRECTORIES_AT if magic == _PE32_PLUS_MAGIC else _PE32_DIRECTORIES_AT)
        resource_entry = directories + _RESOURCE_DIRECTORY_INDEX * _DIRECTORY_ENTRY_BYTES
        resource_rva = struct.unpack_from("<I", data, resource_entry)[0]
        self.sections = []  # (virtual address, virtual size, file offset) each
        for index in range(section_count):
            entry = optional + optional_size + _SECTION_HEADER_BYTES * index
            virtual_size, virtual_address, _, raw_pointer = struct.unpack_from("<IIII", data, entry + 8)
            self.sections.append((virtual_address, virtual_size, raw_pointer))
        self.resource_base = self.offset(resource_rva) if resource_rva else None

    def offset(self, rva):
        """The file offset of a relative virtual address."""
        for virtual_address, virtual_size, raw_pointer in self.sections:
            if virtual_address <= rva < virtual_address + virtual_size:
                return rva - virtual_address + raw_pointer
        raise ValueError("address outside every section")

    def resource_time_stamp(self):
        """The time stamp of the resource directory (windres writes one),
        None for an image without resources."""
        if self.resource_base is None:
            return None
        return struct.unpack_from("<I", self.data, self.resource_base + 4)[0]

    def _entries(self, directory):
        named, numbered = struct.unpack_from("<HH", self.data, directory + 12)
        for index in range(named + numbered):
            name, target = struct.unpack_from("<II", self.data, directory + 16 + _DIRECTORY_ENTRY_BYTES * index)
            if name & _HIGH_BIT:
                at = self.resource_base + (name & ~_HIGH_BIT)
                length = struct.unpack_from("<H", self.data, at)[0]
                name = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            yield name, target

    def resource(self, kind, number):
        """The bytes of the first language version of resource kind/number."""
        if self.resource_base is None:
            raise KeyError("no resources")
        directory = self.resource_base
        for wanted in (kind, number, None):
            for name, target in self._entries(directory):
                if wanted is None or name == wanted:
                    break
            else:
                raise KeyError("no resource %s/%s" % (kind, number))
            if not target & _HIGH_BIT:
                data_rva, size = struct.unpack_from("<II", self.data, self.resource_base + target)
                start = self.offset(data_rva)
                return self.data[start:start + size]
            directory = self.resource_base + (target & ~_HIGH_BIT)
        raise KeyError("resource %s/%s is nested too deep" % (kind, number))
