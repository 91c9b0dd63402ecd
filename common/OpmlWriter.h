#pragma once
#include <string>

// Writing a subscription list as OPML 2.0 in UTF-8: a head with the list's
// title and the time of writing, then one outline per feed (type "rss") or
// folder, nested as the folders are.
class OpmlWriter {
public:
    explicit OpmlWriter(const std::wstring& title);

    void OpenFolder(const std::wstring& title);
    void CloseFolder();
    // An empty htmlUrl is left out.
    void AddFeed(const std::wstring& title, const std::wstring& xmlUrl,
                 const std::wstring& htmlUrl);

    // The whole document, folders still open closed.
    std::string Finish();

private:
    void Indent();

    std::string out_;
    int depth_ = 0;
};
