# Qt-free sources of the value editors (HTTP dates, value grammars).
target_sources(orlen_core PRIVATE
)
