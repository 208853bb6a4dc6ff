// The database maintainer's tools for OVX.INF: what a file holds, record by record, and writing one for a model
// of a monitor database through the Monitor page's own code, inside a station (the booted one, or a temporary
// one with the default adapter).
#pragma once

#include <cstdio>
#include <string>

namespace mode_file_report {

// True when the bytes start like an OVX.INF (the signature, in any letter case), so the `ovx` command can tell it
// from OVX.MON and OVX.BIN.
bool LooksLikeModeFile(const std::string& bytes);

// Prints the header, every board record its slots point to and that record's mode records, as text or, with
// `json`, as one JSON object (mode records with the field names of the record). 0 when the file is whole,
// 1 when it is damaged (the output says where), 2 when it cannot be read.
int PrintModeFile(const std::string& hostPath, bool json, FILE* out);

// Writes the host file `outPath` as the OVX.INF that applying MANUFACTURER / MODEL of the database (OVX.MON or
// OVX.BIN, told apart by content) would write on the station's current board, keeping the entries of other
// active boards that `outPath` already holds. A failure leaves `outPath` as it was. Messages go to `err`.
// 0 on success, 1 otherwise.
int WriteModeFileCommand(const std::string& databasePath, const std::string& manufacturer, const std::string& model,
                         const std::string& outPath, FILE* err);

}  // namespace mode_file_report
