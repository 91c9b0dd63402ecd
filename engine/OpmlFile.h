#pragma once
// Subscriptions exchanged with other readers as OPML. Export writes OPML 2.0
// (UTF-8, channels as outline type="rss" with text, title and xmlUrl,
// folders as outlines holding their children); import reads 1.0 and 2.0,
// where an outline with children and no feed address is a folder.
#include <windows.h>
#include <string>
#include <vector>

#include "engine/FeedTreeModel.h"

struct OpmlOutline {
    std::wstring title;
    std::wstring address;  // empty for a folder
    std::vector<OpmlOutline> children;
};

// The document for the subtree of root (0 or a channel: the whole tree).
std::string FormatOpml(const FeedTreeModel& model, DWORD root);

// The outlines of an OPML file's body; false when it is not readable XML
// with an opml root. COM must be initialised on the calling thread.
bool ReadOpml(const std::wstring& path, std::vector<OpmlOutline>& outlines);

// Adds the outlines under folder (0: top level) as new nodes, skipping feed
// addresses already subscribed and folders left empty. Returns the new ids,
// parents first.
std::vector<DWORD> ImportOutlines(FeedTreeModel& model, DWORD folder,
                                  const std::vector<OpmlOutline>& outlines);
