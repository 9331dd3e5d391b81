#pragma once

// State of a record-editing screen: editing (fields can be changed) or locked (read-only).
enum TCadastroEstado : int { ceEdicao, ceBloqueado };
