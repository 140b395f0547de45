// What the portable core needs from a window system. Each shell (Win32, GTK, the headless
// check tool, the tests' fake) implements it once; the core holds it by reference and never
// owns it. No method throws: each states its failure result.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "app/forms/geometry.h"

namespace forms {

struct Font {
    std::string name;
    float size = 0; // points
    bool bold = false;
    bool italic = false;
};

struct Extent {
    float width = 0; // twips
    float height = 0;
};

enum class Cursor { Arrow, Hand };

// A decoded picture; each shell keeps its own pixels in a subclass.
class Picture {
public:
    explicit Picture(int density = 1) : density_(density) {}
    virtual ~Picture() = default;
    // Its own pixels.
    virtual int width_px() const = 0;
    virtual int height_px() const = 0;
    // Its pixels per designed pixel: 2 for a NAME@2x file, which covers what half its pixel
    // size covers at 100 %.
    int density() const { return density_; }

private:
    int density_;
};

class Platform {
public:
    virtual ~Platform() = default;

    // One line of text in the font, in twips. Never fails (empty text: zero width).
    virtual Extent measure_text(std::string_view text, const Font& font) = 0;

    // Asks for a repaint of an area of the client, in twips. Never fails.
    virtual void invalidate(const Rect& area) = 0;

    // Device pixels per designed pixel: 1 at 96 DPI, 1.5 at 144 DPI, 2 at 192 DPI or a GDK
    // scale of 2. Text is measured and pictures are picked for it. Never fails.
    virtual double scale() const { return 1.0; }

    // Decodes a picture file for drawing at scale(): above 1 from its larger rendition beside
    // it when there is one of the right size (see picture_scale.h), else the file itself;
    // nullptr when the file is missing or not a picture.
    virtual std::shared_ptr<const Picture> load_picture(const std::string& path) = 0;

    // Shows this cursor over the client from now on. Never fails.
    virtual void set_cursor(Cursor cursor) = 0;

    // The executable's folder: no trailing separator except at a root ("D:\", "/").
    virtual std::string executable_folder() = 0;

    // The separator that joins the folder to a file name.
    virtual char path_separator() const = 0;

    // Makes the drive named by the text's first letter current, keeping that drive's current
    // folder. false when the text names no drive.
    virtual bool change_drive(std::string_view drive) = 0;

    // Starts a command line as a separate program, window shown normal and activated, without
    // waiting for it. false when nothing could be started.
    virtual bool start_program(const std::string& command_line) = 0;

    // Ends the program at once. A shell that returns (a test's fake) must be left alone after.
    virtual void quit() = 0;
};

} // namespace forms
