#pragma once
// What the catalogue tells of its changes: each kind of change is an
// announcement that views and the autosave subscribe to, each subscription
// held by a connection that ends it when it goes.
#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace morvane {

// Ends a subscription when it goes (or at Disconnect); safe to outlive the
// announcement it came from.
class AnnouncementConnection {
 public:
  AnnouncementConnection() = default;
  explicit AnnouncementConnection(std::function<void()> disconnect) : disconnect_(std::move(disconnect)) {}
  AnnouncementConnection(AnnouncementConnection&& other) noexcept : disconnect_(std::exchange(other.disconnect_, {})) {}
  AnnouncementConnection& operator=(AnnouncementConnection&& other) noexcept {
    if (this != &other) {
      Disconnect();
      disconnect_ = std::exchange(other.disconnect_, {});
    }
    return *this;
  }
  AnnouncementConnection(const AnnouncementConnection&) = delete;
  AnnouncementConnection& operator=(const AnnouncementConnection&) = delete;
  ~AnnouncementConnection() { Disconnect(); }

  void Disconnect() {
    if (disconnect_) std::exchange(disconnect_, {})();
  }
  bool Connected() const { return static_cast<bool>(disconnect_); }

 private:
  std::function<void()> disconnect_;
};

// One kind of change and the callbacks told of it, in the order they
// subscribed. A callback may end subscriptions (its own too) while it is
// told: one ended so is not told any more; one added is told from the next
// announcement on.
template <typename... Args>
class Announcement {
 public:
  using Callback = std::function<void(Args...)>;

  Announcement() = default;
  Announcement(const Announcement&) = delete;
  Announcement& operator=(const Announcement&) = delete;

  // Subscribing does not change what is announced: a view that only reads
  // the catalogue may subscribe through a const one.
  [[nodiscard]] AnnouncementConnection Subscribe(Callback callback) const {
    auto listener = std::make_shared<Listener>(Listener{std::move(callback), true});
    listeners_->push_back(listener);
    std::weak_ptr<Listeners> list = listeners_;
    return AnnouncementConnection([list, listener] {
      listener->live = false;
      if (const std::shared_ptr<Listeners> l = list.lock()) std::erase(*l, listener);
    });
  }

  void Announce(Args... args) const {
    const Listeners told = *listeners_;
    for (const std::shared_ptr<Listener>& listener : told)
      if (listener->live) listener->callback(args...);
  }

  std::size_t Subscribers() const { return listeners_->size(); }

 private:
  struct Listener {
    Callback callback;
    bool live;
  };
  using Listeners = std::vector<std::shared_ptr<Listener>>;
  std::shared_ptr<Listeners> listeners_ = std::make_shared<Listeners>();
};

// Site lines that came, went or changed, by their place in the site list.
struct SitesChange {
  enum class Kind {
    Added,    // lines [first, first + count) are new; those after moved down
    Removed,  // the lines that were at [first, first + count) are gone; those after moved up
    Changed,  // lines [first, first + count) hold other texts at the same places
    Replaced  // any line may be another now, and the count another
  };
  Kind kind = Kind::Replaced;
  long long first = 0;
  long long count = 0;
};

enum class TreeChange {
  Edited,  // categories added, removed or moved: entries folded stay folded
  Loaded   // a tree read from a file took its place: shown with every entry open
};

// Every announcement is made once the change is whole, before the main loop
// runs again.
struct CatalogueEvents {
  Announcement<const SitesChange&> sitesChanged;
  Announcement<TreeChange> treeChanged;
  Announcement<> masterLoginChanged;
  // The shown list was chosen again (another entry, filter or order, or
  // after its sites changed).
  Announcement<> shownChanged;
};

}  // namespace morvane
