#pragma once
#include <string>
#include <utility>
#include <vector>

// What the frame's page view shows of a document. There is no HTML engine
// here: a page is read into blocks of text and links, and a channel page
// (the engine's "<page>.html") into its channel header and items.
struct PageContent {
    enum class Kind { Empty, Web, Channel, Notice };
    enum class Style { Heading, Paragraph, Link };
    struct Block {
        Style style = Style::Paragraph;
        std::wstring text;
        std::wstring href;
    };
    struct Item {
        std::wstring title, link, date, description;
        bool unread = false;
    };
    using Attributes = std::vector<std::pair<std::wstring, std::wstring>>;

    Kind kind = Kind::Empty;
    std::wstring title;
    std::vector<Block> blocks;         // web pages and notices
    std::vector<Attributes> linkTags;  // <link> elements, attribute names in lower case
    std::wstring channelInfo;          // channel pages
    std::vector<Item> items;
};

// Bytes as text: UTF-8 (a BOM is dropped) unless the markup declares a GB
// charset, then the Chinese code page.
std::wstring DecodeMarkup(const std::string& bytes);

// A channel page when it holds a div with id "item", a web page otherwise.
// Script and style contents are never text.
PageContent ParseMarkup(const std::wstring& markup);

// A page of the frame's own: a heading and lines of text.
PageContent NoticePage(const std::wstring& title, const std::vector<std::wstring>& lines);
