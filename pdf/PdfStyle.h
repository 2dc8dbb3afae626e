#pragma once
// Named text styles and the document outline of the PDF canvas. A style is
// a set of text parameters (name=value lines, names in any case) with an
// optional parent that supplies what it lacks; the canvas applies one with
// SetStyle. The outline is the bookmark tree a reader shows beside the
// pages; named destinations are places that links and other documents can
// refer to by name. All three belong to one document: EndDoc and Abort
// drop them.
#include "pdf/PdfTypes.h"
#include "pdf/PdfWriter.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace pdf {

class TPdfCanvas;

// The colour a style parameter names: empty is black; a text starting with
// a character before "A" is a triple "red, green, blue" of 0..255; anything
// else a colour name ("Red", "skyblue", "BtnFace", ...). False for anything
// else, with the text that could not be read in bad.
bool ColorOfText(const std::string& text, plat::TColor& colour, std::string& bad);

class TPdfStyle {
public:
    TPdfStyle(TPdfCanvas& canvas, std::string name);

    const std::string& Name() const { return name_; }
    TPdfStyle* Parent() const { return parent_; }
    // A parent that leads back to this style is refused ("Bad parameters
    // for method").
    void SetParent(TPdfStyle* parent);
    // Sets or replaces one parameter; an empty value counts as absent.
    void SetParameter(const std::string& name, const std::string& value);

    // The value here, else the parent's, else def.
    std::string Parameter(const std::string& name, const std::string& def) const;
    // A decimal integer; anything else abandons the document with "Numeric
    // value expected for style parameter".
    int IntegerParameter(const std::string& name, int def) const;
    int LeftMargin() const;   // LeftMargin + Indent
    int TopMargin() const;
    // The canvas font: face, size, colour, bold, italic, underline,
    // strike-out, charset.
    void ApplyStyle() const;

private:
    TPdfCanvas& canvas_;
    std::string name_;
    TPdfStyle* parent_ = nullptr;
    std::vector<std::pair<std::string, std::string>> params_;
};

// One node of the outline; the canvas owns the root.
class TBookmark {
public:
    TBookmark(TPdfCanvas& canvas, TBookmark* parent);
    TBookmark(const TBookmark&) = delete;
    TBookmark& operator=(const TBookmark&) = delete;

    // A new last child going to page (from 1); destination follows the page
    // in the /Dest array ("/Fit", "/XYZ 0 842 0", ...).
    TBookmark& Add(std::string title, int page, std::string destination = "/Fit", bool open = true);

    const std::string& Title() const { return title_; }
    int Page() const { return page_; }
    const std::string& Destination() const { return destination_; }
    bool Open() const { return open_; }
    void SetOpen(bool open) { open_ = open; }
    TBookmark* Parent() const { return parent_; }
    const std::vector<std::unique_ptr<TBookmark>>& Children() const { return children_; }
    int ObjectNumber() const { return objectNumber_; }

    void ClearChildren() { children_.clear(); }
    // Pre-order: this node takes ++counter, then each child its numbers.
    void Number(int& counter);
    // The items a reader shows below this one when it is open: each child,
    // and the children of an open child, counted the same way.
    int OpenCount() const;
    // This node's dictionary, then its children's, in order.
    void WriteOutlineItem(PdfObjectWriter& writer);

private:
    TPdfCanvas& canvas_;
    TBookmark* parent_;
    std::vector<std::unique_ptr<TBookmark>> children_;
    std::string title_;
    std::string destination_;
    int page_ = 0;
    bool open_ = true;
    int objectNumber_ = 0;
};

// A named place: page (from 1) and a point in the length unit from the
// page's top-left corner.
struct TPdfDestination {
    int Page = 1;
    int X = 0;
    int Y = 0;
    int ObjectNumber = 0;
};

} // namespace pdf
