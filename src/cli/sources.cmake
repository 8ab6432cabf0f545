set(farwater_cli_sources
    cli/main.cpp
)
