#include "session/reader_session.h"

#include <filesystem>

#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/random.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace korrin {

TReaderSession::TReaderSession(const TSessionOptions& options)
    : registry_(options.RegistryFile.empty() ? TRegistry::RegistryFileName() : options.RegistryFile),
      life_(std::make_unique<TPacketLifecycle>(tree_, postOffice_, message_, toReader_, door_, zip_)) {
  life_->SetRecordPostOffice(options.RecordPostOffice);
  postOffice_.SetFilename("PO.CFG");
  tree_.SetPostoffice(&postOffice_);
  message_.SetMimeCTRL(&mime_);
  message_.SetQWKExtCTRL(&toReader_);
}

TReaderSession::~TReaderSession() {
  tree_.OnChange = nullptr;
  tree_.OnRebuilt = nullptr;
  postOffice_.OnChange = nullptr;
}

bool TReaderSession::CreateWorkFolder(const std::string& parent) {
  const std::string base = parent.empty() ? TempFolder() : IncludeTrailingBackslash(parent);
  // Each run gets a work folder of its own, created so that it cannot collide.
  Randomize();
  if (auto dir = CreateUniqueFolder(base)) {
    workFolder_ = *dir;
  } else {
    workFolder_ = base + RandomName8() + "/";
    if (!ForceDirectories(workFolder_, GetPrompts())) return false;
  }
  life_->SetTempDirectory(workFolder_);
  return true;
}

void TReaderSession::LoadConfiguration() {
  try {
    postOffice_.LoadPostOffices();
  } catch (const EInOutError& e) {
    GetPrompts().Error(e.what());
  }
  settings_ = LoadSettings(registry_, GetPrompts(), ProgramFolder(), postOffice_.Itemindex());
  postOffice_.SetItemindex(settings_.LastPO);
  ApplySettings();
}

void TReaderSession::ApplySettings() {
  life_->SetRepliesFolder(settings_.Replies);
  life_->SetMoveToSentBox(settings_.MoveToSentBox);
  tree_.SetPersonalConference(settings_.PersonalSeparate);
}

void TReaderSession::SaveConfiguration() {
  settings_.LastPO = postOffice_.Itemindex();
  try {
    SaveSettings(registry_, settings_);
  } catch (const ERegistryException& e) {
    GetPrompts().Error(e.what());
  }
  try {
    postOffice_.SavePostOffices();
  } catch (const EInOutError& e) {
    GetPrompts().Error(e.what());
  }
}

void TReaderSession::RemoveWorkFolder() {
  if (workFolder_.empty()) return;
  life_->ClearTempDirectory();
  std::error_code ec;
  fs::remove_all(workFolder_, ec);
}

bool TReaderSession::IsReplyPacketName(const std::string& path) { return korrin::IsReplyPacketName(path); }

TResult TReaderSession::OpenFile(const std::string& path) {
  if (tree_.PacketLoaded() && !life_->ClosePacket()) return TFailure{};
  return IsReplyPacketName(path) ? life_->LoadReplyPacket(path) : life_->LoadPacket(path);
}

TUnpackOutcome TReaderSession::UnpackPacket(const std::string& path, bool reply) {
  return UnpackPacketFiles(zip_, path, workFolder_, reply);
}

TResult TReaderSession::ReadPacketFolder(const std::string& folder) { return life_->ReadPacketFolder(folder); }

}  // namespace korrin
