#include "platform/qt/wayland_data_control.h"

#include <wayland-client.h>

#include <QGuiApplication>
#include <QSocketNotifier>
#include <cstring>

#include "wlr-data-control-unstable-v1-client-protocol.h"

namespace platform::qt {

struct WaylandDataControl::Connection {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_seat* seat = nullptr;
    zwlr_data_control_manager_v1* manager = nullptr;
    zwlr_data_control_device_v1* device = nullptr;
    // The offers of the selection and the primary selection now; nothing is read from them.
    zwlr_data_control_offer_v1* offers[2] = {nullptr, nullptr};
    std::unique_ptr<QSocketNotifier> events;

    ~Connection() {
        events.reset();
        for (auto* offer : offers) {
            if (offer != nullptr) {
                zwlr_data_control_offer_v1_destroy(offer);
            }
        }
        if (device != nullptr) {
            zwlr_data_control_device_v1_destroy(device);
        }
        if (manager != nullptr) {
            zwlr_data_control_manager_v1_destroy(manager);
        }
        if (seat != nullptr) {
            wl_seat_destroy(seat);
        }
        if (registry != nullptr) {
            wl_registry_destroy(registry);
        }
        if (display != nullptr) {
            wl_display_disconnect(display);
        }
    }

    void hold(int which, zwlr_data_control_offer_v1* offer) {
        if (offers[which] != nullptr && offers[which] != offer) {
            zwlr_data_control_offer_v1_destroy(offers[which]);
        }
        offers[which] = offer;
    }

    // Reads what the compositor sent, so that its buffer never fills.
    void dispatch() {
        if (wl_display_prepare_read(display) == 0) {
            wl_display_read_events(display);
        }
        wl_display_dispatch_pending(display);
        wl_display_flush(display);
    }
};

namespace {

void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
            std::uint32_t version) {
    auto* connection = static_cast<WaylandDataControl::Connection*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && connection->seat == nullptr) {
        connection->seat =
            static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0) {
        connection->manager = static_cast<zwlr_data_control_manager_v1*>(wl_registry_bind(
            registry, name, &zwlr_data_control_manager_v1_interface, version < 2 ? version : 2));
    }
}

void global_remove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener registry_listener = {global, global_remove};

void data_offer(void*, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1*) {}

void selection(void* data, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer) {
    static_cast<WaylandDataControl::Connection*>(data)->hold(0, offer);
}

void primary_selection(void* data, zwlr_data_control_device_v1*,
                       zwlr_data_control_offer_v1* offer) {
    static_cast<WaylandDataControl::Connection*>(data)->hold(1, offer);
}

void finished(void* data, zwlr_data_control_device_v1* device) {
    auto* connection = static_cast<WaylandDataControl::Connection*>(data);
    zwlr_data_control_device_v1_destroy(device);
    connection->device = nullptr;
}

const zwlr_data_control_device_v1_listener device_listener = {data_offer, selection, finished,
                                                              primary_selection};

}  // namespace

WaylandDataControl::WaylandDataControl() {
    if (QGuiApplication::platformName() != "wayland") {
        return;
    }
    auto connection = std::make_unique<Connection>();
    connection->display = wl_display_connect(nullptr);
    if (connection->display == nullptr) {
        return;
    }
    connection->registry = wl_display_get_registry(connection->display);
    wl_registry_add_listener(connection->registry, &registry_listener, connection.get());
    if (wl_display_roundtrip(connection->display) < 0 || connection->manager == nullptr ||
        connection->seat == nullptr) {
        return;
    }
    connection->device =
        zwlr_data_control_manager_v1_get_data_device(connection->manager, connection->seat);
    zwlr_data_control_device_v1_add_listener(connection->device, &device_listener,
                                             connection.get());
    if (wl_display_roundtrip(connection->display) < 0) {
        return;
    }
    connection->events = std::make_unique<QSocketNotifier>(wl_display_get_fd(connection->display),
                                                           QSocketNotifier::Read);
    QObject::connect(connection->events.get(), &QSocketNotifier::activated,
                     [raw = connection.get()] { raw->dispatch(); });
    connection_ = std::move(connection);
}

WaylandDataControl::~WaylandDataControl() = default;

bool WaylandDataControl::available() const {
    return connection_ && connection_->device != nullptr;
}

bool WaylandDataControl::clear(bool primary) {
    if (!available()) {
        return false;
    }
    auto* device = connection_->device;
    if (primary) {
        if (zwlr_data_control_device_v1_get_version(device) <
            ZWLR_DATA_CONTROL_DEVICE_V1_SET_PRIMARY_SELECTION_SINCE_VERSION) {
            return false;
        }
        zwlr_data_control_device_v1_set_primary_selection(device, nullptr);
    } else {
        zwlr_data_control_device_v1_set_selection(device, nullptr);
    }
    // Through before the program goes on, or ends.
    return wl_display_roundtrip(connection_->display) >= 0;
}

}  // namespace platform::qt
