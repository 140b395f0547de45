// What screen readers see of the GTK window (ATK, reached over AT-SPI): the client drawing area
// lists the form's shown labels as forms::accessible_elements gives them, each named as painted,
// located at its box, armed while highlighted; an item's one action is its click. Nothing is
// made until assistive technology asks; no focus, no keys, no change to the pixels.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>

#include "app/forms/form.h"

namespace gtk_shell {

// A toplevel window whose accessible is named by the form's title while the window title stays
// "". The name is read only when a reader makes the accessible. The form must outlive it.
GtkWidget* accessible_window_new(const forms::Form& form);

// The drawing area the form's client is painted in, its accessible the tree above. The form
// must outlive it.
GtkWidget* accessible_client_new(forms::Form& form);

// A fresh form from a new load (the author's preview): the window and the client read it from
// now on; what a reader was given of the old one reports itself defunct.
void accessible_show_form(GtkWidget* window, GtkWidget* client, forms::Form& form);

// The highlight moved from one array label to another (-1: none). Readers that have seen the
// items learn which one is armed; with no accessible made yet this does nothing.
void notify_highlight(GtkWidget* client, std::int16_t before, std::int16_t after);

} // namespace gtk_shell
