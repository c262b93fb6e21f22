#include "adr/adr_service.hpp"

#include <system_error>

#include "domain/text.hpp"
#include "tomlio/record_files.hpp"

namespace borvane::adr {

namespace fs = std::filesystem;
using domain::DecisionStatus;
using domain::DomainError;

namespace {

// A record in a process status keeps it against upserts: only the guarded
// status call may move it.
Status check_process_status_kept(const std::string& id, DecisionStatus current, DecisionStatus wanted) {
  if (!current.is_process_status() || current == wanted) return domain::ok_status();
  return DomainError::validation("ADR '" + id + "' is in process status '" + std::string(current.text()) +
                                 "'; use set_adr_status to change status (cannot set '" +
                                 std::string(wanted.text()) + "')");
}

// docs/adr/<id>.toml. Only an id of the record pattern (no "/", no leading
// ".") is turned into a path, so the file stays inside docs/adr even when
// persist is reached without the full record rules.
Result<fs::path> record_path(const std::string& id) {
  if (!domain::is_record_id(id)) {
    return DomainError::validation("decision id must match [A-Za-z0-9][A-Za-z0-9_.-]*");
  }
  return fs::path("docs/adr/" + id + ".toml");
}

// Applies the status arguments of set_decision_status to the record.
Status apply_status(Decision& d, DecisionStatus status, const std::optional<std::string>& reason,
                    const std::optional<std::string>& superseded_by_id) {
  d.status = status;
  switch (status) {
    case DecisionStatus::Rejected: {
      if (!reason || domain::is_blank(*reason)) return DomainError::validation("reason required when status=rejected");
      const std::string_view trimmed = domain::trim(*reason);
      if (trimmed.size() > kReasonMaxBytes) return DomainError::validation("reason max 2000 chars");
      d.reason = std::string(trimmed);
      break;
    }
    case DecisionStatus::Superseded:
      if (!superseded_by_id || domain::is_blank(*superseded_by_id)) {
        return DomainError::validation("superseded_by_id required when status=superseded");
      }
      d.superseded_by_id = std::string(domain::trim(*superseded_by_id));
      break;
    default:  // accepted, deprecated: a rejection reason no longer applies
      d.reason.reset();
      break;
  }
  return domain::ok_status();
}

}  // namespace

AdrService::AdrService(std::shared_ptr<domain::GitPort> git, std::shared_ptr<domain::ElementExistsPort> exists)
    : git_(std::move(git)), exists_(std::move(exists)) {}

Result<Decision> AdrService::get_decision(const std::string& workspace_id, const std::string& id) const {
  auto found = stored(workspace_id, id);
  if (!found) return DomainError::not_found("decision " + id);
  return std::move(*found);
}

Result<std::vector<Decision>> AdrService::list_decisions(const std::string& workspace_id) const {
  std::vector<Decision> out;
  std::lock_guard lock(decisions_mutex_);
  // The map is ordered by (workspace, id) with std::string's comparison,
  // which compares bytes as unsigned: the workspace's records come out
  // contiguous and in byte order of their ids.
  for (auto it = decisions_.lower_bound({workspace_id, std::string()});
       it != decisions_.end() && it->first.first == workspace_id; ++it)
    out.push_back(it->second);
  return out;
}

Result<Stored<Decision>> AdrService::upsert_decision(Decision decision, bool commit) {
  const std::optional<Decision> current = stored(decision.workspace_id, decision.id);
  if (current) {
    if (auto kept = check_process_status_kept(decision.id, current->status, decision.status); !kept) {
      return kept.error();
    }
  }
  const bool agent_mode = !current || !current->status.is_process_status();
  if (auto valid = validate_document(decision, agent_mode); !valid) return valid.error();
  return persist(std::move(decision), commit);
}

Result<Stored<Decision>> AdrService::set_decision_status(const std::string& workspace_id, const std::string& id,
                                                         DecisionStatus status, std::optional<std::string> reason,
                                                         std::optional<std::string> superseded_by_id, bool commit) {
  if (!status.is_process_status()) {
    return DomainError::validation(
        "set_adr_status is for process statuses only (accepted|rejected|deprecated|superseded)");
  }
  auto record = get_decision(workspace_id, id);
  if (!record) return record.error();
  if (auto applied = apply_status(*record, status, reason, superseded_by_id); !applied) return applied.error();
  if (auto valid = validate_document(*record, false); !valid) return valid.error();
  return persist(std::move(*record), commit);
}

void AdrService::bind_worktree(const std::string& workspace_id, std::filesystem::path path) {
  std::lock_guard lock(worktrees_mutex_);
  worktrees_[workspace_id] = std::move(path);
}

void AdrService::clear_workspace(const std::string& workspace_id) {
  std::lock_guard lock(decisions_mutex_);
  std::erase_if(decisions_, [&](const auto& kv) { return kv.first.first == workspace_id; });
}

Result<Stored<Decision>> AdrService::import_from_disk(Decision decision) {
  if (auto valid = validate_document(decision, false); !valid) return valid.error();
  store(decision);
  return Stored<Decision>{std::move(decision), std::nullopt};
}

Result<Stored<Decision>> AdrService::persist(Decision decision, bool commit) {
  if (auto scope = check_scope_element(decision); !scope) return scope.error();
  auto tree = worktree(decision.workspace_id);
  if (!tree) return tree.error();
  auto relative = record_path(decision.id);
  if (!relative) return relative.error();
  decision.path = relative->string();
  const fs::path file = *tree / *relative;
  if (auto unloaded = check_unloaded_file(decision, file); !unloaded) return unloaded.error();

  std::error_code error;
  fs::create_directories(file.parent_path(), error);
  if (error) return DomainError::other(error.message());
  // The file carries the commit id the record came with; the new commit's id
  // is known only after the file is committed.
  if (auto written = tomlio::write_adr_toml(file, decision); !written) return DomainError::other(written.error());

  std::optional<std::string> commit_id;
  if (commit) {
    auto id = git_->commit(*tree, "adr: " + decision.id + " " + decision.title, {*relative});
    if (!id) return id.error();
    commit_id = std::move(*id);
  }
  decision.git_commit_id = commit_id;
  store(decision);
  return Stored<Decision>{std::move(decision), std::move(commit_id)};
}

std::optional<Decision> AdrService::stored(const std::string& workspace_id, const std::string& id) const {
  std::lock_guard lock(decisions_mutex_);
  auto it = decisions_.find({workspace_id, id});
  if (it == decisions_.end()) return std::nullopt;
  return it->second;
}

Result<fs::path> AdrService::worktree(const std::string& workspace_id) const {
  std::lock_guard lock(worktrees_mutex_);
  auto it = worktrees_.find(workspace_id);
  if (it == worktrees_.end()) {
    return DomainError::validation("workspace " + workspace_id + " has no bound worktree (checkout required for ADR)");
  }
  return it->second;
}

Status AdrService::check_scope_element(const Decision& decision) const {
  if (!decision.scope_element_id || decision.scope_element_id->empty()) return domain::ok_status();
  if (exists_->element_exists(decision.workspace_id, *decision.scope_element_id)) return domain::ok_status();
  return DomainError::validation("ADR scope_element_id '" + *decision.scope_element_id +
                                 "' does not exist in workspace '" + decision.workspace_id + "'");
}

// A record file on disk that was never loaded (a binding that stopped early)
// still holds its status: an upsert must not replace an accepted decision by
// a draft just because memory does not know it. A file that does not read
// as a record is replaced as before.
Status AdrService::check_unloaded_file(const Decision& decision, const fs::path& file) const {
  if (stored(decision.workspace_id, decision.id)) return domain::ok_status();
  std::error_code error;
  if (!fs::exists(fs::symlink_status(file, error))) return domain::ok_status();
  auto on_disk = tomlio::read_adr_toml(file);
  if (!on_disk) return domain::ok_status();
  return check_process_status_kept(decision.id, on_disk->status, decision.status);
}

void AdrService::store(const Decision& decision) {
  std::lock_guard lock(decisions_mutex_);
  decisions_.insert_or_assign({decision.workspace_id, decision.id}, decision);
}

}  // namespace borvane::adr
