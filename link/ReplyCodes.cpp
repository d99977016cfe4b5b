#include "link/ReplyCodes.h"

namespace velmora::link {

std::string replyMessage(uint16_t code) {
    switch (code & 0x3F) {
        case 1:
            return "Несуществующая команда";
        case 2:
            return "Ошибка формата команды";
        case 3:
            return "Чтени 0 байт";
        case 4:
            return "Чтение > 249 байт ";
        case 5:
            return "Номер бито > 7";
        case 6:
            return "Чтение закрытого ресурса";
        case 7:
            return "Запись в несуществующий адрес";
        case 8:
            return "Запись во FLASH не 64 байта";
        case 9:
            return "Запись во FLASH не с начала блока";
        case 10:
            return "Запись в закрытый ресурс";
        case 11:
            return "Ошибка верификации FLAS после записи";
        case 12:
            return "Ошибка приема терминатора 0x55,0xAA";
        case 13:
            return "Занят канал i2c";
        case 14:
            return "Коллизия при обмене по i2c";
        case 15:
            return "Нет ASK от Slave устр-ва на i2c ";
        case 29:
            return "Ошибка CRC16 в ответе контроллера";
        case 30:
            return "Ошибка Comm порта";
        case 31:
            return "Контроллер не ответил";
        default:
            return {};
    }
}

}  // namespace velmora::link
