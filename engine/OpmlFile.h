#pragma once
// Subscriptions exchanged with other readers as OPML, through the reader and
// writer the button shares. Export writes OPML 2.0 (channels as outlines of
// type "rss", folders as outlines holding their children); import reads 1.0
// and 2.0, where an outline with children and no feed address is a folder.
#include <windows.h>
#include <string>
#include <vector>

#include "common/OpmlReader.h"
#include "engine/FeedTreeModel.h"

// The document for the subtree of root (0 or a channel: the whole tree).
std::string FormatOpml(const FeedTreeModel& model, DWORD root);

// The outlines of an OPML file, nested ones after their parent; false when
// the file cannot be read or the reader refuses it.
bool ReadOpml(const std::wstring& path, std::vector<OpmlOutline>& outlines);

// Adds the outlines under folder (0: top level) as new nodes, skipping feed
// addresses already subscribed and folders left empty. Returns the new ids,
// parents first.
std::vector<DWORD> ImportOutlines(FeedTreeModel& model, DWORD folder,
                                  const std::vector<OpmlOutline>& outlines);
