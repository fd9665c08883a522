// The catalogue's record kinds: the context written to "Quirvane.ctx" at build
// time, and the check that a loaded context holds every kind and field the
// engine reads, with the value kinds it expects.
#pragma once
#include <string>

#include "storage/Context.h"

namespace qv {

// Field numbers of the catalogue's record kinds.
namespace fld {
enum Disc { dLabel, dCategory, dLocation, dFiles, dFolders, dAdded, dDescription, dRoot };
enum Folder { foDisc, foName, foParent, foDate, foFolders, foFiles };
enum File { fiDisc, fiName, fiParent, fiDate, fiSize };
enum Name { nName, nRefs };
enum DiscKinds { kNames };
}  // namespace fld

extern const char* const kContextFileName;  // "Quirvane.ctx"

// Fills an empty context with the catalogue's kinds.
void BuildCatalogueContext(TContext& context);
// True when every kind and field the engine reads is there with the expected
// value kind; otherwise False with one line saying what is wrong.
bool CheckCatalogueSchema(const TContext& context, std::string& error);

}  // namespace qv
