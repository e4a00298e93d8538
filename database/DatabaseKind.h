// The kind of database the user chose; the schema operations read it live.
#pragma once

namespace orvel {

enum class DatabaseKind { Access, SqlServer, Oracle };

}  // namespace orvel
