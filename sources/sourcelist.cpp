// The sources the program offers, built in and described. Tested by
// tests/sources/sourcelist_test.cpp.
#include "sources/sourcelist.h"

#include <utility>

#include "listfile/profile.h"

namespace brevak {

TSourceList::TSourceList(TImportFiles files)
    : FFiles(std::move(files)), FUser(ReadUserSources(SourcesFile(FFiles))) {
  for (int i = 0; i < kSourceCount; ++i)
    FSources.push_back({SourceTable()[i].Name, &SourceTable()[i], nullptr});
  for (const TUserSource& user : FUser.Sources) {
    if (user.Replaces)
      FSources[static_cast<std::size_t>(user.Replaces->Id)].User = &user;
    else
      FSources.push_back({user.Name, nullptr, &user});
  }
}

const TSource* TSourceList::Find(std::string_view name) const {
  for (const TSource& source : FSources)
    if (SameProfileName(source.Name, name)) return &source;
  return nullptr;
}

std::string TSourceList::Url(const TSource& source) const {
  return source.User ? source.User->Url : SourceUrl(*source.BuiltIn, FFiles);
}

std::string TSourceList::RuleName(const TSource& source) {
  if (!source.User) return "built in";
  switch (source.User->Rule) {
    case TUserRuleKind::Lines:
      return "lines";
    case TUserRuleKind::Columns:
      return "columns";
    case TUserRuleKind::Pattern:
      return "pattern";
  }
  return {};
}

std::string TSourceList::Origin(const TSource& source) {
  return source.User ? source.User->File : "built in";
}

std::u16string_view TSourceList::Header(const TSource& source) {
  return source.User ? std::u16string_view(source.User->Header) : source.BuiltIn->Header;
}

void TSourceList::ImportOverHttp(const TSource& source, TImportHost& host) const {
  if (source.User)
    ImportUserSourceOverHttp(*source.User, FFiles.ListFile, host);
  else
    ImportSourceOverHttp(source.BuiltIn->Id, FFiles, host);
}

void TSourceList::ImportWithFetch(const TSource& source, TImportHost& host,
                                  const TFetchFn& fetch) const {
  if (source.User)
    ImportUserSourceWithFetch(*source.User, FFiles.ListFile, host, fetch);
  else
    ImportSourceWithFetch(source.BuiltIn->Id, FFiles, host, fetch);
}

void TSourceList::ImportIntoList(const TSource& source, TImportHost& host, const TFetchFn& fetch,
                                 TStringList& list) const {
  if (source.User)
    ImportUserSourceIntoList(*source.User, host, fetch, list);
  else
    ImportSourceIntoList(source.BuiltIn->Id, FFiles, host, fetch, list);
}

}  // namespace brevak
