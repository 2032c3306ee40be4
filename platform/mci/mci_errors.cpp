#include "platform/mci/mci_errors.h"

namespace qlnrec::platform {

QString mciGetErrorString(MCIERROR error)
{
    switch (error) {
    case 0:
        return QStringLiteral("The specified command was carried out.");
    case MCIERR_INVALID_DEVICE_ID:
        return QStringLiteral(
            "Invalid device ID. Use the ID given to the device when the device was opened.");
    case MCIERR_UNRECOGNIZED_KEYWORD:
        return QStringLiteral("The specified command contains an unrecognized keyword.");
    case MCIERR_UNRECOGNIZED_COMMAND:
        return QStringLiteral("The specified command is not recognized.");
    case MCIERR_HARDWARE:
        return QStringLiteral("There is a problem with your media device.");
    case MCIERR_INVALID_DEVICE_NAME:
        return QStringLiteral("The specified device is not open or is not recognized.");
    case MCIERR_OUT_OF_MEMORY:
        return QStringLiteral("There is not enough memory available for this task.");
    case MCIERR_DEVICE_OPEN:
        return QStringLiteral("The device name is already being used as an alias by this application. Use a "
                              "unique alias.");
    case MCIERR_MISSING_COMMAND_STRING:
        return QStringLiteral("No command was specified.");
    case MCIERR_PARAM_OVERFLOW:
        return QStringLiteral("The output string was too large to fit in the return buffer.");
    case MCIERR_MISSING_STRING_ARGUMENT:
        return QStringLiteral("The specified command requires a character-string parameter.");
    case MCIERR_BAD_INTEGER:
        return QStringLiteral("The specified integer is invalid for this command.");
    case MCIERR_MISSING_PARAMETER:
        return QStringLiteral("The specified command requires a parameter.");
    case MCIERR_UNSUPPORTED_FUNCTION:
        return QStringLiteral("The media device cannot carry out the specified command.");
    case MCIERR_FILE_NOT_FOUND:
        return QStringLiteral("Cannot find the specified file.");
    case MCIERR_DEVICE_NOT_READY:
        return QStringLiteral("The device is not ready.");
    case MCIERR_INTERNAL:
        return QStringLiteral("A problem occurred in initializing MCI.");
    case MCIERR_CANNOT_USE_ALL:
        return QStringLiteral("The device name \"all\" is not allowed for this command.");
    case MCIERR_OUTOFRANGE:
        return QStringLiteral("The specified parameter is out of range for the specified command.");
    case MCIERR_FLAGS_NOT_COMPATIBLE:
        return QStringLiteral("The specified parameters cannot be used together.");
    case MCIERR_FILE_NOT_SAVED:
        return QStringLiteral("Cannot save the specified file.");
    case MCIERR_DEVICE_TYPE_REQUIRED:
        return QStringLiteral("Cannot find the specified device.");
    case MCIERR_DUPLICATE_ALIAS:
        return QStringLiteral("The specified alias is already being used in this application.");
    case MCIERR_BAD_CONSTANT:
        return QStringLiteral("The specified parameter value is invalid for this command.");
    case MCIERR_MISSING_DEVICE_NAME:
        return QStringLiteral("The specified command requires an alias, file, driver, or device name.");
    case MCIERR_BAD_TIME_FORMAT:
        return QStringLiteral("The specified value for the time format is invalid.");
    case MCIERR_NO_CLOSING_QUOTE:
        return QStringLiteral("A closing double-quotation mark is missing from the parameter value.");
    case MCIERR_DUPLICATE_FLAGS:
        return QStringLiteral("A parameter or value was specified twice.");
    case MCIERR_INVALID_FILE:
        return QStringLiteral(
            "The specified file cannot be played on the specified MCI device. The file may be "
            "corrupt, or not in the correct format.");
    case MCIERR_NEW_REQUIRES_ALIAS:
        return QStringLiteral("An alias must be used with the \"new\" device name.");
    case MCIERR_NONAPPLICABLE_FUNCTION:
        return QStringLiteral("The specified command cannot be used on this device.");
    case MCIERR_FILENAME_REQUIRED:
        return QStringLiteral("A valid filename is required.");
    case MCIERR_EXTRA_CHARACTERS:
        return QStringLiteral("Cannot specify extra characters after a string enclosed in quotation marks.");
    case MCIERR_DEVICE_NOT_INSTALLED:
        return QStringLiteral("The specified device is not installed on the system.");
    case MCIERR_WAVE_OUTPUTSINUSE:
        return QStringLiteral("All wave devices that can play files in the current format are in use.");
    case MCIERR_WAVE_INPUTSINUSE:
        return QStringLiteral("All wave devices that can record files in the current format are in use.");
    case MCIERR_WAVE_OUTPUTSUNSUITABLE:
        return QStringLiteral("None of the installed sound devices can play files in the current format: no "
                              "compression driver can decode it.");
    case MCIERR_WAVE_INPUTSUNSUITABLE:
        return QStringLiteral("No installed sound device can record in the requested format.");
    default:
        return QStringLiteral("Unknown media control error %1.").arg(error);
    }
}

} // namespace qlnrec::platform
