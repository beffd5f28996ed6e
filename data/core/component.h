// The component base: owners free what they own, and components that refer to one
// another hear when the other goes away.
#pragma once

#include <functional>
#include <string>
#include <vector>

enum TOperation { opInsert, opRemove };

class TComponent;
// A plain event that carries only its sender.
using TNotifyEvent = std::function<void(TComponent* sender)>;

enum TComponentStateFlag : unsigned { csLoading = 1, csDestroying = 2, csDesigning = 4 };

class TComponent {
 public:
  explicit TComponent(TComponent* owner = nullptr);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name) { name_ = name; }

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const { return components_.at(index); }
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);

  // Asks that `component` be told (Notification with opRemove) when this one is freed.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  unsigned ComponentState() const { return state_; }
  bool IsLoading() const { return state_ & csLoading; }
  bool IsDestroying() const { return state_ & csDestroying; }
  bool IsDesigning() const { return state_ & csDesigning; }
  // Marks the component as being loaded; EndLoading clears the mark and calls Loaded.
  void BeginLoading() { state_ |= csLoading; }
  void EndLoading();

 protected:
  // Another component was inserted into or removed from this one's reach.
  virtual void Notification(TComponent* component, TOperation operation);
  // Called when loading ends, to apply what was only remembered while loading.
  virtual void Loaded() {}
  // For destructors that must tell peers and free their owned components while the
  // derived object is still whole; the base destructor then finds nothing left to do.
  void BeginDestruction();
  void DestroyComponents();

 private:
  void SendFreeNotifications();

  TComponent* owner_ = nullptr;
  std::string name_;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> free_notifies_;
  unsigned state_ = 0;
};
