// ATK for the window: GtkWindow and GtkDrawingArea subtypes whose accessibles name the window by
// the title and list the shown labels, one AtkObject each, made the first time a reader asks for
// a child. The set of shown labels is fixed by the load; boxes and the highlight change on hover,
// so every box, state and action is read from the form when asked and nothing is kept in step.
// Types are registered by hand: the GObject macros would add mutable class pointers.
#include "app/gtk/accessible.h"

#include <gtk/gtk-a11y.h>

#include <optional>
#include <string>

#include "app/forms/accessible.h"
#include "app/forms/last_guard.h"
#include "app/gtk/text.h"
#include "app/gtk/units.h"

namespace gtk_shell {
namespace {

// The one action of an item, as AT-SPI names it; readers offer forms::kActionName.
constexpr const char* kActionId = "click";
const std::string kActionLabel(forms::kActionName);

struct Window {
    GtkWindow parent;
    const forms::Form* form;
};
struct WindowClass {
    GtkWindowClass parent_class;
};

struct WindowAccessible {
    GtkWindowAccessible parent;
    gchar* name; // the title, displayable; made on first request
};
struct WindowAccessibleClass {
    GtkWindowAccessibleClass parent_class;
};

struct Client {
    GtkDrawingArea parent;
    forms::Form* form;
    AtkObject* accessible; // weak: set once GTK has made it, cleared when it goes
};
struct ClientClass {
    GtkDrawingAreaClass parent_class;
};

struct ClientAccessible {
    GtkWidgetAccessible parent;
    GPtrArray* children; // of Element, owned; nullptr until a reader first asks
    gchar* name;         // the title, displayable; made on first request
};
struct ClientAccessibleClass {
    GtkWidgetAccessibleClass parent_class;
};

// One shown label. Items are a subtype that adds AtkAction, so the title has no action at all.
struct Element {
    AtkObject parent;
    AtkObject* client; // the owning ClientAccessible; cleared when it goes
    gint position;     // in forms::accessible_elements
    forms::Hit::Target target;
    std::int16_t index;
    gchar* name;
};
struct ElementClass {
    AtkObjectClass parent_class;
};

GType window_type();
GType window_accessible_type();
GType client_type();
GType client_accessible_type();
GType element_type();
GType item_type();

// The parent classes are looked up rather than kept: they are made before any subtype instance.
AtkObjectClass* widget_accessible_class() {
    return ATK_OBJECT_CLASS(g_type_class_peek(GTK_TYPE_WIDGET_ACCESSIBLE));
}
AtkObjectClass* atk_object_class() {
    return ATK_OBJECT_CLASS(g_type_class_peek(ATK_TYPE_OBJECT));
}

Window* window_of(gpointer widget) {
    return G_TYPE_CHECK_INSTANCE_CAST(widget, window_type(), Window);
}
WindowAccessible* window_accessible_of(gpointer object) {
    return G_TYPE_CHECK_INSTANCE_CAST(object, window_accessible_type(), WindowAccessible);
}
Client* client_of(gpointer widget) {
    return G_TYPE_CHECK_INSTANCE_CAST(widget, client_type(), Client);
}
ClientAccessible* client_accessible_of(gpointer object) {
    return G_TYPE_CHECK_INSTANCE_CAST(object, client_accessible_type(), ClientAccessible);
}
Element* element_of(gpointer object) {
    return G_TYPE_CHECK_INSTANCE_CAST(object, element_type(), Element);
}

// The form behind a client accessible; nullptr once its widget is gone.
forms::Form* form_of(AtkObject* client) {
    GtkWidget* widget = gtk_accessible_get_widget(GTK_ACCESSIBLE(client));
    return widget != nullptr ? client_of(widget)->form : nullptr;
}

// The element as the form shows it now.
struct Live {
    forms::Form* form;
    forms::AccessibleElement element;
};

std::optional<Live> live(const Element* self) {
    if (self->client == nullptr)
        return std::nullopt;
    forms::Form* form = form_of(self->client);
    if (form == nullptr)
        return std::nullopt;
    for (const forms::AccessibleElement& e : forms::accessible_elements(*form))
        if (e.target == self->target && e.index == self->index)
            return Live{form, e};
    return std::nullopt;
}

// Client accessible -------------------------------------------------------------------------------

GPtrArray* children_of(AtkObject* object) {
    ClientAccessible* self = client_accessible_of(object);
    if (self->children != nullptr)
        return self->children;
    const forms::Form* form = form_of(object);
    if (form == nullptr)
        return nullptr;
    const auto elements = forms::accessible_elements(*form);
    self->children = g_ptr_array_new_full(static_cast<guint>(elements.size()), g_object_unref);
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const forms::AccessibleElement& e = elements[i];
        Element* child =
            element_of(g_object_new(e.has_action() ? item_type() : element_type(), nullptr));
        child->client = object;
        child->position = static_cast<gint>(i);
        child->target = e.target;
        child->index = e.index;
        child->name = g_strdup(displayable(e.label->caption()).c_str());
        // Set before anyone can see the object: atk_object_set_role would announce a change.
        ATK_OBJECT(child)->role =
            e.role == forms::AccessibleRole::MenuItem ? ATK_ROLE_MENU_ITEM : ATK_ROLE_LABEL;
        g_ptr_array_add(self->children, child);
    }
    return self->children;
}

void client_accessible_initialize(AtkObject* object, gpointer widget) {
    widget_accessible_class()->initialize(object, widget);
    object->role = ATK_ROLE_DRAWING_AREA;
    Client* client = client_of(widget);
    client->accessible = object;
    g_object_add_weak_pointer(G_OBJECT(object), reinterpret_cast<gpointer*>(&client->accessible));
}

const gchar* client_accessible_get_name(AtkObject* object) {
    if (const gchar* given = widget_accessible_class()->get_name(object))
        return given;
    ClientAccessible* self = client_accessible_of(object);
    if (self->name == nullptr) {
        const forms::Form* form = form_of(object);
        if (form == nullptr)
            return nullptr;
        self->name = g_strdup(displayable(forms::accessible_name(*form)).c_str());
    }
    return self->name;
}

gint client_accessible_get_n_children(AtkObject* object) {
    const GPtrArray* children = children_of(object);
    return children != nullptr ? static_cast<gint>(children->len) : 0;
}

AtkObject* client_accessible_ref_child(AtkObject* object, gint i) {
    const GPtrArray* children = children_of(object);
    if (children == nullptr || i < 0 || static_cast<guint>(i) >= children->len)
        return nullptr;
    return ATK_OBJECT(g_object_ref(g_ptr_array_index(children, static_cast<guint>(i))));
}

void client_accessible_finalize(GObject* object) {
    ClientAccessible* self = client_accessible_of(object);
    if (self->children != nullptr) {
        // A reader may still hold a child: it then reports itself defunct.
        for (guint i = 0; i < self->children->len; ++i)
            element_of(g_ptr_array_index(self->children, i))->client = nullptr;
        g_ptr_array_unref(self->children);
    }
    g_free(self->name);
    G_OBJECT_CLASS(widget_accessible_class())->finalize(object);
}

// The client's origin in the reader's coordinates; false while it is not on the screen.
bool client_origin(AtkObject* client, AtkCoordType type, gint& x, gint& y) {
    x = y = 0;
    if (type == ATK_XY_PARENT) {
        // The client's parent is the window: where the window placed the client.
        GtkWidget* widget = gtk_accessible_get_widget(GTK_ACCESSIBLE(client));
        if (widget == nullptr)
            return false;
        GtkAllocation allocation;
        gtk_widget_get_allocation(widget, &allocation);
        x = allocation.x;
        y = allocation.y;
        return true;
    }
    gint width = 0, height = 0;
    atk_component_get_extents(ATK_COMPONENT(client), &x, &y, &width, &height, type);
    return x != G_MININT && y != G_MININT;
}

// The topmost label under the point, found as the mouse finds it. ATK's default would take the
// first child that contains the point: the bottommost where labels overlap.
AtkObject* client_ref_accessible_at_point(AtkComponent* component, gint x, gint y,
                                          AtkCoordType type) {
    AtkObject* object = ATK_OBJECT(component);
    const GPtrArray* children = children_of(object);
    const forms::Form* form = form_of(object);
    gint left = 0, top = 0;
    if (children == nullptr || form == nullptr || !client_origin(object, type, left, top))
        return nullptr;
    const int at = forms::accessible_element_at(forms::accessible_elements(*form),
                                                to_twips(x - left, y - top));
    if (at < 0 || static_cast<guint>(at) >= children->len)
        return nullptr;
    return ATK_OBJECT(g_object_ref(g_ptr_array_index(children, static_cast<guint>(at))));
}

void client_component_init(gpointer iface, gpointer) {
    static_cast<AtkComponentIface*>(iface)->ref_accessible_at_point =
        client_ref_accessible_at_point;
}

void client_accessible_class_init(gpointer klass, gpointer) {
    AtkObjectClass* atk = ATK_OBJECT_CLASS(klass);
    atk->initialize = client_accessible_initialize;
    atk->get_name = client_accessible_get_name;
    atk->get_n_children = client_accessible_get_n_children;
    atk->ref_child = client_accessible_ref_child;
    G_OBJECT_CLASS(klass)->finalize = client_accessible_finalize;
}

GType client_accessible_type() {
    static const GType type = [] {
        const GType t = g_type_register_static_simple(
            GTK_TYPE_WIDGET_ACCESSIBLE, "TavikClientAccessible", sizeof(ClientAccessibleClass),
            client_accessible_class_init, sizeof(ClientAccessible), nullptr, GTypeFlags{});
        // Replaces GtkWidgetAccessible's AtkComponent; what is not set here stays its own.
        const GInterfaceInfo component{client_component_init, nullptr, nullptr};
        g_type_add_interface_static(t, ATK_TYPE_COMPONENT, &component);
        return t;
    }();
    return type;
}

// Elements ----------------------------------------------------------------------------------------

const gchar* element_get_name(AtkObject* object) {
    return element_of(object)->name;
}

AtkObject* element_get_parent(AtkObject* object) {
    return element_of(object)->client;
}

gint element_get_index_in_parent(AtkObject* object) {
    const Element* self = element_of(object);
    return self->client != nullptr ? self->position : -1;
}

AtkStateSet* element_ref_state_set(AtkObject* object) {
    AtkStateSet* states = atk_object_class()->ref_state_set(object);
    const Element* self = element_of(object);
    const auto now = live(self);
    if (!now) {
        atk_state_set_add_state(states, ATK_STATE_DEFUNCT);
        return states;
    }
    atk_state_set_add_state(states, ATK_STATE_VISIBLE);
    atk_state_set_add_state(states, ATK_STATE_ENABLED);
    atk_state_set_add_state(states, ATK_STATE_SENSITIVE);
    GtkWidget* widget = gtk_accessible_get_widget(GTK_ACCESSIBLE(self->client));
    if (widget != nullptr && gtk_widget_get_mapped(widget) && !now->element.box.empty())
        atk_state_set_add_state(states, ATK_STATE_SHOWING);
    // The highlight under the mouse: hot-tracked, in ATK's words armed. Never focusable.
    if (now->element.hot)
        atk_state_set_add_state(states, ATK_STATE_ARMED);
    return states;
}

void element_finalize(GObject* object) {
    g_free(element_of(object)->name);
    G_OBJECT_CLASS(atk_object_class())->finalize(object);
}

// The label's box in pixels, on the edges the mouse's hit test uses.
void element_get_extents(AtkComponent* component, gint* x, gint* y, gint* width, gint* height,
                         AtkCoordType type) {
    *x = *y = *width = *height = 0;
    const Element* self = element_of(component);
    const auto now = live(self);
    if (!now)
        return;
    const forms::Rect& box = now->element.box;
    const int left = static_cast<int>(to_px(box.left)), top = static_cast<int>(to_px(box.top));
    *width = static_cast<int>(to_px(box.right())) - left;
    *height = static_cast<int>(to_px(box.bottom())) - top;
    gint origin_x = 0, origin_y = 0; // relative to the parent: the client itself
    if (type != ATK_XY_PARENT && !client_origin(self->client, type, origin_x, origin_y)) {
        *x = *y = G_MININT; // as GTK reports a widget that is not on the screen
        return;
    }
    *x = origin_x + left;
    *y = origin_y + top;
}

void element_component_init(gpointer iface, gpointer) {
    static_cast<AtkComponentIface*>(iface)->get_extents = element_get_extents;
}

void element_class_init(gpointer klass, gpointer) {
    AtkObjectClass* atk = ATK_OBJECT_CLASS(klass);
    atk->get_name = element_get_name;
    atk->get_parent = element_get_parent;
    atk->get_index_in_parent = element_get_index_in_parent;
    atk->ref_state_set = element_ref_state_set;
    G_OBJECT_CLASS(klass)->finalize = element_finalize;
}

GType element_type() {
    static const GType type = [] {
        const GType t = g_type_register_static_simple(ATK_TYPE_OBJECT, "TavikLabelAccessible",
                                                      sizeof(ElementClass), element_class_init,
                                                      sizeof(Element), nullptr, GTypeFlags{});
        const GInterfaceInfo component{element_component_init, nullptr, nullptr};
        g_type_add_interface_static(t, ATK_TYPE_COMPONENT, &component);
        return t;
    }();
    return type;
}

// Items' action -----------------------------------------------------------------------------------

// The click, run from the main loop once the reader's call has had its reply: Exit ends the
// process, which would otherwise leave the reader waiting for an answer.
gboolean run_click(gpointer item) {
    forms::last_guard([&] {
        if (const auto now = live(element_of(item)))
            forms::do_accessible_action(*now->form, now->element);
    });
    return G_SOURCE_REMOVE;
}

gboolean item_do_action(AtkAction* action, gint i) {
    if (i != 0 || !live(element_of(action)))
        return FALSE;
    g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, run_click, g_object_ref(action), g_object_unref);
    return TRUE;
}

gint item_get_n_actions(AtkAction*) {
    return 1;
}

const gchar* item_get_name(AtkAction*, gint i) {
    return i == 0 ? kActionId : nullptr;
}

const gchar* item_get_label(AtkAction*, gint i) {
    return i == 0 ? kActionLabel.c_str() : nullptr;
}

void item_action_init(gpointer iface, gpointer) {
    auto* action = static_cast<AtkActionIface*>(iface);
    action->do_action = item_do_action;
    action->get_n_actions = item_get_n_actions;
    action->get_name = item_get_name;
    action->get_localized_name = item_get_label;
    action->get_description = item_get_label;
}

GType item_type() {
    static const GType type = [] {
        const GType t = g_type_register_static_simple(element_type(), "TavikItemAccessible",
                                                      sizeof(ElementClass), nullptr,
                                                      sizeof(Element), nullptr, GTypeFlags{});
        const GInterfaceInfo action{item_action_init, nullptr, nullptr};
        g_type_add_interface_static(t, ATK_TYPE_ACTION, &action);
        return t;
    }();
    return type;
}

// The client widget -------------------------------------------------------------------------------

void client_finalize(GObject* object) {
    Client* self = client_of(object);
    if (self->accessible != nullptr)
        g_object_remove_weak_pointer(G_OBJECT(self->accessible),
                                     reinterpret_cast<gpointer*>(&self->accessible));
    G_OBJECT_CLASS(g_type_class_peek(GTK_TYPE_DRAWING_AREA))->finalize(object);
}

void client_class_init(gpointer klass, gpointer) {
    gtk_widget_class_set_accessible_type(GTK_WIDGET_CLASS(klass), client_accessible_type());
    G_OBJECT_CLASS(klass)->finalize = client_finalize;
}

GType client_type() {
    static const GType type =
        g_type_register_static_simple(GTK_TYPE_DRAWING_AREA, "TavikClient", sizeof(ClientClass),
                                      client_class_init, sizeof(Client), nullptr, GTypeFlags{});
    return type;
}

// The window --------------------------------------------------------------------------------------

// Naming the window's accessible from outside would make it at every start, reader or not.
const gchar* window_accessible_get_name(AtkObject* object) {
    if (const gchar* given = atk_object_class()->get_name(object))
        return given;
    WindowAccessible* self = window_accessible_of(object);
    if (self->name == nullptr) {
        GtkWidget* widget = gtk_accessible_get_widget(GTK_ACCESSIBLE(object));
        if (widget == nullptr)
            return nullptr;
        self->name =
            g_strdup(displayable(forms::accessible_name(*window_of(widget)->form)).c_str());
    }
    return self->name;
}

void window_accessible_finalize(GObject* object) {
    g_free(window_accessible_of(object)->name);
    G_OBJECT_CLASS(g_type_class_peek(GTK_TYPE_WINDOW_ACCESSIBLE))->finalize(object);
}

void window_accessible_class_init(gpointer klass, gpointer) {
    ATK_OBJECT_CLASS(klass)->get_name = window_accessible_get_name;
    G_OBJECT_CLASS(klass)->finalize = window_accessible_finalize;
}

GType window_accessible_type() {
    static const GType type = g_type_register_static_simple(
        GTK_TYPE_WINDOW_ACCESSIBLE, "TavikWindowAccessible", sizeof(WindowAccessibleClass),
        window_accessible_class_init, sizeof(WindowAccessible), nullptr, GTypeFlags{});
    return type;
}

void window_class_init(gpointer klass, gpointer) {
    gtk_widget_class_set_accessible_type(GTK_WIDGET_CLASS(klass), window_accessible_type());
}

GType window_type() {
    static const GType type =
        g_type_register_static_simple(GTK_TYPE_WINDOW, "TavikWindow", sizeof(WindowClass),
                                      window_class_init, sizeof(Window), nullptr, GTypeFlags{});
    return type;
}

} // namespace

GtkWidget* accessible_client_new(forms::Form& form) {
    GtkWidget* widget = GTK_WIDGET(g_object_new(client_type(), nullptr));
    client_of(widget)->form = &form;
    return widget;
}

void notify_highlight(GtkWidget* client, std::int16_t before, std::int16_t after) {
    if (before == after)
        return;
    const Client* self = client_of(client);
    if (self->accessible == nullptr)
        return;
    const GPtrArray* children = client_accessible_of(self->accessible)->children;
    if (children == nullptr)
        return; // no reader has seen an item yet
    for (guint i = 0; i < children->len; ++i) {
        AtkObject* child = ATK_OBJECT(g_ptr_array_index(children, i));
        const Element* e = element_of(child);
        if (e->target != forms::Hit::Target::Array)
            continue;
        if (e->index == before)
            atk_object_notify_state_change(child, ATK_STATE_ARMED, FALSE);
        if (e->index == after)
            atk_object_notify_state_change(child, ATK_STATE_ARMED, TRUE);
    }
}

void accessible_show_form(GtkWidget* window, GtkWidget* client, forms::Form& form) {
    window_of(window)->form = &form;
    Client* self = client_of(client);
    self->form = &form;
    if (self->accessible == nullptr)
        return; // no reader has asked yet: everything is made from the new form when one does
    ClientAccessible* tree = client_accessible_of(self->accessible);
    if (tree->children != nullptr) {
        // Children a reader still holds report themselves defunct, as when the window goes.
        for (guint i = 0; i < tree->children->len; ++i)
            element_of(g_ptr_array_index(tree->children, i))->client = nullptr;
        g_ptr_array_unref(tree->children);
        tree->children = nullptr;
    }
    g_clear_pointer(&tree->name, g_free);
    g_clear_pointer(&window_accessible_of(gtk_widget_get_accessible(window))->name, g_free);
    g_signal_emit_by_name(self->accessible, "visible-data-changed");
}

GtkWidget* accessible_window_new(const forms::Form& form) {
    GtkWidget* widget =
        GTK_WIDGET(g_object_new(window_type(), "type", GTK_WINDOW_TOPLEVEL, nullptr));
    window_of(widget)->form = &form;
    return widget;
}

} // namespace gtk_shell
